# The Windows installer and zip (included by packaging/CMakeLists.txt); filled in below.
