// A full-screen Wayland window with a picture in which every pixel differs from its neighbours,
// for the view checks on the GNOME rig: the compositor's own background is dithered anew at
// every repaint, so no two frames of it agree to the pixel. The picture follows desktop
// coordinates, so that the pictures on monitors side by side continue each other. mutter opens
// a window on the pointer's monitor but a full-screen one on the first, so the window goes full
// screen only once it is shown.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

class Pattern : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    const int left = screen()->geometry().x();
    QImage image(size() * devicePixelRatioF(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        const int d = left + x;
        row[x] = qRgb((d * 7) & 255, (y * 5) & 255, ((d / 37) * 50 + (y / 29) * 90) & 255);
      }
    }
    image.setDevicePixelRatio(devicePixelRatioF());
    QPainter(this).drawImage(0, 0, image);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Pattern pattern;
  pattern.setWindowTitle(QStringLiteral("pattern"));
  pattern.show();
  QTimer::singleShot(500, &pattern, &QWidget::showFullScreen);
  return QApplication::exec();
}
