#!/usr/bin/env python3
"""The Windows installer and zip as users meet them, under Wine (the prefix and X server that
tests/win32/wine-env.sh set up; tests/win32/package-test.sh runs this): the zip holds exactly
Vistrel.exe and readme.txt; the installer and its uninstaller carry the program's version and
publisher; a silent install puts the program, readme.txt, the uninstaller, a Start menu shortcut
and the Uninstall key in the user's places; the installed program magnifies and opens its Help
(the end-to-end driver's cases, run against it); a running Vistrel is closed by the installer and
the uninstaller, silent and interactive, with its settings saved, and one that does not end stops
them with exit code 2 before they change anything; the uninstall takes away every file and key
the installer made and keeps the user's settings.

Uses Debian's python3-pefile for the version resources (run with /usr/bin/python3)."""

import argparse
import os
import signal
import subprocess
import sys
import time
import zipfile

import pefile

WINE = os.environ.get("VISTREL_WINE64", "wine64")
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistrel"
SETTINGS_KEY = r"HKCU\Software\Tarnwell\Vistrel"


class TestFailure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise TestFailure(what)


def wine(*args, timeout=120, check_status=True):
    result = subprocess.run([WINE, *args], capture_output=True, timeout=timeout)
    out = result.stdout.decode("utf-8", "replace")
    if check_status and result.returncode != 0:
        raise TestFailure(f"{' '.join(args)} ended with {result.returncode}: {out[-2000:]}")
    return out


def unix_path(windows_path):
    return wine("winepath", "-u", windows_path).strip()


def version_resource(path):
    """The fixed version (four numbers) and the first string table of a PE file."""
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    check(hasattr(pe, "VS_FIXEDFILEINFO"), f"{os.path.basename(path)} has no version resource")
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
               fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)
    strings = {}
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    pe.close()
    return numbers, strings


def reg_values(key):
    """The values of a key as {name: data}, or None when the key does not exist."""
    result = subprocess.run([WINE, "reg", "query", key], capture_output=True, timeout=60)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = parts[2] if len(parts) == 3 else ""
    return values


def reg_keys():
    """Every key path under HKEY_CURRENT_USER\\Software."""
    path = os.path.join(os.environ["WINEPREFIX"], "export.reg")
    wine("reg", "export", r"HKCU\Software", "Z:" + path.replace("/", "\\"), "/y")
    with open(path, "rb") as f:
        text = f.read().decode("utf-16", "replace")
    os.remove(path)
    return {line.strip()[1:-1].lower() for line in text.splitlines() if line.startswith("[")}


def files_under(top):
    found = set()
    for directory, _, names in os.walk(top):
        found.update(os.path.join(directory, n) for n in names)
    return found


def wait_until(what, condition, timeout=30):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise TestFailure(f"timed out waiting for {what}")
        time.sleep(0.2)


UNSAVED = "unsaved"


def mark_settings_unsaved():
    wine("reg", "add", SETTINGS_KEY, "/v", "Keep1to1", "/d", UNSAVED, "/f")


def expect_saved(by):
    # A close writes all eight values; the check mark's is "True" or "False" again.
    wait_until(f"the settings saved ({by})",
               lambda: (reg_values(SETTINGS_KEY) or {}).get("Keep1to1", UNSAVED) != UNSAVED
               and len(reg_values(SETTINGS_KEY)) == 8)


class RunningCopy:
    """Vistrel.exe started from the install directory (altered by one byte so that an install
    must replace it), up once its start-up has made the settings key."""

    def __init__(self, exe_unix, exe_windows, alter=False):
        if alter:
            with open(exe_unix, "ab") as f:
                f.write(b"\0")
        subprocess.run([WINE, "reg", "delete", SETTINGS_KEY, "/f"], capture_output=True)
        self.process = subprocess.Popen([WINE, exe_windows], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        wait_until("Vistrel to start", lambda: reg_values(SETTINGS_KEY) is not None)
        mark_settings_unsaved()
        time.sleep(1)

    def expect_closed_and_saved(self, by):
        wait_until(f"the running Vistrel to end ({by})", lambda: self.process.poll() is not None)
        check(self.process.returncode == 0, f"Vistrel ended with {self.process.returncode} ({by})")
        expect_saved(by)


def snapshot(install_dir):
    return ({n: open(os.path.join(install_dir, n), "rb").read() for n in os.listdir(install_dir)},
            reg_values(UNINSTALL_KEY))


def press_in_window(title, keys, count=1):
    """Waits for `count` windows named `title`, then types `keys` (Wine gives its focused window
    the keys of the X server)."""
    wait_until(f"{count} window(s) named {title!r}", lambda: len(subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", title], capture_output=True,
        text=True).stdout.split()) >= count)
    time.sleep(1)
    subprocess.run(["xdotool", "key", *keys], check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--zip", required=True)
    parser.add_argument("--readme", required=True, help="resources/readme.txt")
    parser.add_argument("--e2e", required=True, help="the end-to-end driver, vistrel_e2e.exe")
    options = parser.parse_args()
    prefix = os.environ["WINEPREFIX"]
    drive_c = os.path.join(prefix, "drive_c")
    started = time.monotonic()

    # The zip: exactly the two files, the help file as written.
    with zipfile.ZipFile(options.zip) as z:
        names = sorted(z.namelist())
        check(names == ["Vistrel.exe", "readme.txt"], f"the zip holds {names}")
        zipped_exe = z.read("Vistrel.exe")
        check(z.read("readme.txt") == open(options.readme, "rb").read(),
              "the zip's readme.txt differs from resources/readme.txt")
    exe_copy = os.path.join(prefix, "zipped-Vistrel.exe")
    with open(exe_copy, "wb") as f:
        f.write(zipped_exe)
    program_version, program_strings = version_resource(exe_copy)
    publisher = program_strings.get("CompanyName")
    check(publisher, "Vistrel.exe names no CompanyName")
    version_text = "%d.%d.%d" % (program_version[0], program_version[1], program_version[3])

    def expect_same_version(path, kind):
        numbers, strings = version_resource(path)
        check(numbers == program_version, f"the {kind}'s file version {numbers} is not "
              f"Vistrel.exe's {program_version}")
        check(strings.get("CompanyName") == publisher and strings.get("ProductName") == "Vistrel",
              f"the {kind}'s version resource names {strings}")
    expect_same_version(options.installer, "installer")

    local = wine("cmd", "/c", "echo %LOCALAPPDATA%").strip()
    programs = unix_path(wine("cmd", "/c", "echo %APPDATA%").strip())
    install_dir = unix_path(local + r"\Programs\Vistrel")
    exe_windows = local + r"\Programs\Vistrel\Vistrel.exe"
    shortcut = os.path.join(programs, "Microsoft", "Windows", "Start Menu", "Programs", "Vistrel.lnk")
    # Windows always has the Uninstall key; a new Wine prefix gets it with its first program.
    wine("reg", "add", UNINSTALL_KEY.rsplit("\\", 1)[0], "/f")
    temp = unix_path(wine("cmd", "/c", "echo %TEMP%").strip())
    files_before, keys_before = files_under(drive_c), reg_keys()

    # Silent install, as the user (Wine's user has no administrator token to ask for anyway;
    # the installer asks for none).
    wine(options.installer, "/S")
    installed = sorted(os.listdir(install_dir)) if os.path.isdir(install_dir) else []
    check(installed == ["Uninstall.exe", "Vistrel.exe", "readme.txt"],
          f"{install_dir} holds {installed}")
    check(open(os.path.join(install_dir, "Vistrel.exe"), "rb").read() == zipped_exe,
          "the installed Vistrel.exe differs from the zip's")
    check(os.path.isfile(shortcut), "no Start menu shortcut")
    expect_same_version(os.path.join(install_dir, "Uninstall.exe"), "uninstaller")
    values = reg_values(UNINSTALL_KEY) or {}
    expected = {"DisplayName": "Vistrel", "DisplayVersion": version_text, "Publisher": publisher,
                "DisplayIcon": exe_windows}
    for name, value in expected.items():
        check(values.get(name, "").lower() == value.lower(),
              f"Uninstall key: {name} is {values.get(name)!r}, not {value!r}")
    check("Uninstall.exe" in values.get("UninstallString", ""),
          f"Uninstall key: UninstallString is {values.get('UninstallString')!r}")
    print(f"silent install: {local}\\Programs\\Vistrel holds {installed}, Start menu shortcut, Uninstall key "
          f"with version {version_text} and publisher {publisher!r}")

    # The installed program, driven by the end-to-end cases.
    for case in ("Window.PictureFollowsTheCursor", "Tray.HelpOpensTheReadmeInNotepad"):
        out = wine(options.e2e, f"--gtest_filter={case}", exe_windows, timeout=300,
                   check_status=False)
        print("  " + out.strip().replace("\n", "\n  "))
        check("[  PASSED  ] 1 test." in out, f"the installed program failed {case}")
    check(reg_values(SETTINGS_KEY), "the installed program saved no settings")
    check(int(values.get("EstimatedSize", "0"), 0) >= len(zipped_exe) // 1024,
          f"Uninstall key: EstimatedSize is {values.get('EstimatedSize')!r}")

    exe_unix = os.path.join(install_dir, "Vistrel.exe")
    uninstaller = os.path.join(install_dir, "Uninstall.exe")
    setup_title = f"Vistrel {version_text} Setup"
    uninstall_title = f"Vistrel {version_text} Uninstall"
    # Silent runs over a copy that does not end (stopped): exit code 2, nothing changed; once
    # it runs again, the close they asked for ends it, saving its settings.
    for run in ([options.installer, "/S"], [uninstaller, "/S", "_?=" + local + r"\Programs\Vistrel"]):
        copy = RunningCopy(exe_unix, exe_windows, alter=True)
        before = snapshot(install_dir)
        os.kill(copy.process.pid, signal.SIGSTOP)
        try:
            status = subprocess.run([WINE, *run], capture_output=True, timeout=120).returncode
        finally:
            os.kill(copy.process.pid, signal.SIGCONT)
        check(status == 2, f"{run} over a Vistrel that does not end exited with {status}")
        check(snapshot(install_dir) == before, f"{run} changed the install it could not do")
        copy.expect_closed_and_saved("posted close, after the failed run")
    # Silent and interactive installs over a running copy: closed, saved, replaced. The
    # interactive one asks first (Enter: Install, OK in the box, Finish, which starts the new
    # copy).
    copy = RunningCopy(exe_unix, exe_windows, alter=True)
    wine(options.installer, "/S")
    copy.expect_closed_and_saved("silent install")
    check(open(exe_unix, "rb").read() == zipped_exe, "the silent install left the old Vistrel.exe")
    copy = RunningCopy(exe_unix, exe_windows, alter=True)
    setup = subprocess.Popen([WINE, options.installer], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    press_in_window(setup_title, ["Return"])
    press_in_window(setup_title, ["Return"], count=2)
    copy.expect_closed_and_saved("interactive install")
    wait_until("the install to end", lambda: reg_values(UNINSTALL_KEY) is not None and open(
        exe_unix, "rb").read() == zipped_exe)
    press_in_window(setup_title, ["Return"])
    check(setup.wait(timeout=60) == 0, f"the interactive install exited with {setup.returncode}")
    print("a running Vistrel: closed with its settings saved by the silent and the interactive "
          "install; a stopped one makes the silent install and uninstall exit 2, changing nothing")

    # Silent uninstall, with the copy that the interactive install's Finish started, then an
    # interactive one over a running copy. The uninstaller runs from a copy in the temporary
    # directory and the first process returns at once, so its work is awaited.
    mark_settings_unsaved()
    time.sleep(2)
    wine(uninstaller, "/S")
    expect_saved("silent uninstall")
    wait_until("the uninstaller to remove the program",
               lambda: not os.path.exists(install_dir) and reg_values(UNINSTALL_KEY) is None)
    wine(options.installer, "/S")
    copy = RunningCopy(exe_unix, exe_windows)
    # Its copy in %TEMP% keeps the pipes of the first process open; output goes nowhere.
    subprocess.run([WINE, uninstaller], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60)
    press_in_window(uninstall_title, ["Return"])
    press_in_window(uninstall_title, ["Return"], count=2)
    copy.expect_closed_and_saved("interactive uninstall")
    wait_until("the uninstaller to remove the program",
               lambda: not os.path.exists(install_dir) and reg_values(UNINSTALL_KEY) is None)
    time.sleep(1)
    # The uninstaller's copy in %TEMP% is left for Windows to delete at the next start (NSIS
    # marks it so); everything else must be gone.
    temp_real = os.path.realpath(temp) + os.sep
    new_files = sorted(p[len(drive_c):] for p in files_under(drive_c) - files_before
                       if not os.path.realpath(p).startswith(temp_real))
    check(not new_files, f"files left after the uninstall: {new_files}")
    # Keys that others made meanwhile: Wine's own, the program's settings, Notepad's (Help).
    others = tuple("hkey_current_user\\software\\" + k for k in ("wine", "tarnwell", r"microsoft\notepad"))
    new_keys = sorted(k for k in reg_keys() - keys_before if not k.startswith(others))
    check(not new_keys, f"keys left after the uninstall: {new_keys}")
    check(reg_values(SETTINGS_KEY), "the uninstall removed the user's settings")
    print("silent and interactive uninstall over a running copy: it is closed and saved, every "
          "file and key of the install gone, the settings kept "
          f"({time.monotonic() - started:.0f} s)")


if __name__ == "__main__":
    try:
        main()
    except TestFailure as e:
        print(f"FAIL: {e}")
        sys.exit(1)
