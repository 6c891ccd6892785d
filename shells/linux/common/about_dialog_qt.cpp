#include "common/about_dialog_qt.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <array>
#include <cmath>

#include "about/about_layout.h"
#include "about/frm_about.h"
#include "common/resources_qt.h"

namespace vistrel::linux_shell {
namespace {

QColor ColourOf(std::uint32_t colour, const QPalette& palette) {
  if (colour == kSystem3DHighlight) return palette.color(QPalette::Light);
  if (colour & 0x80000000u) return palette.color(QPalette::WindowText);
  return QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
}

// The link: reports clicks and moves to the core, which sets the pointer.
class LinkLabel : public QLabel {
 public:
  LinkLabel(QWidget* parent, frmabout& handlers, const Dispatcher& dispatch)
      : QLabel(parent), handlers_(handlers), dispatch_(dispatch) {
    setMouseTracking(true);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    const auto buttons = static_cast<std::int16_t>(event->buttons());
    const auto x = static_cast<float>(event->position().x());
    const auto y = static_cast<float>(event->position().y());
    dispatch_([&] { handlers_.lblurl_MouseMove(buttons, 0, x, y); });
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
      dispatch_([&] { handlers_.lblurl_Click(); });
    }
  }

 private:
  frmabout& handlers_;
  const Dispatcher& dispatch_;
};

class AboutDialog : public QDialog, public platform::AboutView {
 public:
  AboutDialog(double twipsPerPixel, QWidget* owner, frmabout& handlers, const Dispatcher& dispatch)
      : QDialog(owner), tpp_(twipsPerPixel), handlers_(handlers), dispatch_(dispatch) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(about_layout::kCaption.data(),
                                     static_cast<int>(about_layout::kCaption.size())));
    setFixedSize(Px(about_layout::kClientWidthTwips), Px(about_layout::kClientHeightTwips));
    setAttribute(Qt::WA_QuitOnClose, false);
    for (const AboutControlDefinition& d : about_layout::kControls) Build(d);
    if (ok_) ok_->setFocus(Qt::OtherFocusReason);
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    QObject::connect(copy, &QShortcut::activated, [this] { CopyTexts(); });
  }

  bool Visible() override { return isVisible(); }
  void ShowModal() override {
    if (ok_) ok_->setFocus(Qt::OtherFocusReason);
    // Centred over the main window's client area (or the screen while it is hidden), placed
    // here rather than by Qt's guess of frame sizes it has not seen yet.
    const QWidget* owner = parentWidget();
    const QRect over = owner && owner->isVisible() ? owner->geometry()
                                                   : QGuiApplication::primaryScreen()->geometry();
    move(over.center() - QPoint(width() / 2, height() / 2));
    exec();
  }
  void Close() override { done(0); }
  void SetLabelText(AboutControl control, const std::string& text) override {
    QLabel* label = labels_[static_cast<std::size_t>(control)];
    if (!label) return;
    label->setText(QString::fromStdString(text));
    Fit(about_layout::Control(control), label);
  }
  void SetLinkPointerFromHand() override {
    if (QLabel* link = labels_[static_cast<std::size_t>(AboutControl::lblurl)]) {
      link->setCursor(resources::HandCursor());
    }
  }
  std::uintptr_t Handle() override { return static_cast<std::uintptr_t>(winId()); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    // Escape is not bound to any button; the dialog closes by OK, the link or its frame.
    if (event->key() == Qt::Key_Escape) {
      event->accept();
      return;
    }
    QDialog::keyPressEvent(event);
  }
  void paintEvent(QPaintEvent* event) override {
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const AboutControlDefinition& d : about_layout::kControls) {
      if (d.kind != ControlKind::kLine) continue;
      QPen pen(ColourOf(d.colour, palette()));
      pen.setWidth(d.lineWidthPixels);
      pen.setCapStyle(Qt::FlatCap);
      painter.setPen(pen);
      // A line of width w covers w rows from its y downward, as the runtime draws it.
      const double offset = d.lineWidthPixels / 2.0;
      painter.drawLine(QPointF(Px(d.segment.x1), Px(d.segment.y1) + offset),
                       QPointF(Px(d.segment.x2), Px(d.segment.y2) + offset));
    }
  }

 private:
  int Px(double twips) const {
    return static_cast<int>(std::lround(twips / tpp_ / devicePixelRatioF()));
  }

  static QFont FontFor(const FontDefinition& f) {
    QFont font = QApplication::font();
    // "MS Sans Serif" is a Windows bitmap font. The nearest in width are the Helvetica and Arial
    // metric fonts; the wider DejaVu Sans would cut the fixed-width labels short.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                      QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(f.points > 0 ? f.points : about_layout::kDialogFont.points);
    font.setBold(f.bold);
    return font;
  }

  void Fit(const AboutControlDefinition& d, QLabel* label) {
    if (!d.fitsText) return;
    if (d.wraps) {
      label->setFixedWidth(Px(d.box.width));
      label->setFixedHeight(std::max(Px(d.box.height), label->heightForWidth(Px(d.box.width))));
    } else {
      label->adjustSize();
    }
  }

  void Build(const AboutControlDefinition& d) {
    const auto index = static_cast<std::size_t>(d.id);
    switch (d.kind) {
      case ControlKind::kLine:
      case ControlKind::kImage:  // imghand only carries the pointer; nothing of it is seen
        return;
      case ControlKind::kButton: {
        ok_ = new QPushButton(QString::fromUtf8(d.text.data(), static_cast<int>(d.text.size())),
                              this);
        ok_->setGeometry(Px(d.box.left), Px(d.box.top), Px(d.box.width), Px(d.box.height));
        ok_->setFont(FontFor(d.font));
        ok_->setDefault(false);
        // Enter presses the button that has the focus, as on the platform it comes from.
        ok_->setAutoDefault(true);
        QObject::connect(ok_, &QPushButton::clicked,
                         [this] { dispatch_([this] { handlers_.cmdok_Click(); }); });
        return;
      }
      case ControlKind::kLabel: {
        QLabel* label = d.id == AboutControl::lblurl ? new LinkLabel(this, handlers_, dispatch_)
                                                     : new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setFont(FontFor(d.font));
        label->setGeometry(Px(d.box.left), Px(d.box.top), Px(d.box.width), Px(d.box.height));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(d.wraps);
        if (d.colour != kDefaultColour) {
          QPalette palette = label->palette();
          palette.setColor(QPalette::WindowText, ColourOf(d.colour, palette));
          label->setPalette(palette);
        }
        label->setText(QString::fromUtf8(d.text.data(), static_cast<int>(d.text.size())));
        Fit(d, label);
        labels_[index] = label;
        return;
      }
    }
  }

  void CopyTexts() {
    QStringList lines{windowTitle()};
    for (QLabel* label : labels_) {
      if (label && !label->text().isEmpty()) lines << label->text();
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
  }

  double tpp_;
  frmabout& handlers_;
  const Dispatcher& dispatch_;
  std::array<QLabel*, about_layout::kControls.size()> labels_{};
  QPushButton* ok_ = nullptr;
};

}  // namespace

std::unique_ptr<platform::AboutView> QtAboutViewFactory::Create(frmabout& handlers) {
  return std::make_unique<AboutDialog>(twipsPerPixel_, owner_ ? *owner_ : nullptr, handlers,
                                       dispatch_);
}

}  // namespace vistrel::linux_shell
