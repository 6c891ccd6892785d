// A KWin effect for the Plasma rig of the Wayland tests (tests/support/kwin_rig.py), never for a
// desktop: KWin 5.27 records a frame of a monitor's screen cast only when the output emits
// outputChange, and only its DRM backends emit that, so on the headless virtual output the cast
// starts and stays empty. After each composited frame this effect emits the signal for the output,
// which runs KWin's own recording; the portal, PipeWire and the read-back stay KWin's.
//
// Only KWin's public effect and OpenGL headers are used. The output object comes from two symbols
// that libkwin exports (Workspace::_self, Workspace::activeOutput) and the signal is raised by name
// through Qt's meta-object, so that the plugin needs no KWin source tree; each step that fails is
// told on stderr once, and the rig's test then fails for want of frames.
#include <dlfcn.h>
#include <kwineffects.h>
#include <kwinglutils.h>

#include <QDebug>
#include <QMetaObject>
#include <QRegion>
#include <limits>
#include <memory>

namespace {

using ActiveOutput = QObject* (*)(const QObject* workspace);

QObject* activeOutput() {
  static auto* const workspace =
      static_cast<QObject**>(dlsym(RTLD_DEFAULT, "_ZN4KWin9Workspace5_selfE"));
  static auto const active =
      reinterpret_cast<ActiveOutput>(dlsym(RTLD_DEFAULT, "_ZNK4KWin9Workspace12activeOutputEv"));
  if (!workspace || !active || !*workspace) {
    return nullptr;
  }
  return active(*workspace);
}

class FrameFeed : public KWin::Effect {
 public:
  ~FrameFeed() override {
    // The copy must not outlive this plugin at the bottom of KWin's framebuffer stack.
    if (copy_ && KWin::GLFramebuffer::currentFramebuffer() == copy_.get()) {
      KWin::GLFramebuffer::popFramebuffer();
    }
  }

  // Outermost in the chain: when the rest returns, the frame is complete.
  int requestedEffectChainPosition() const override { return std::numeric_limits<int>::min(); }

  void paintScreen(int mask, const QRegion& region, KWin::ScreenPaintData& data) override {
    KWin::effects->paintScreen(mask, region, data);
    KWin::GLFramebuffer* target = KWin::GLFramebuffer::currentFramebuffer();
    QObject* output = activeOutput();
    if (!target || !output) {
      if (!warned_) {
        qWarning("vistrel frame feed: no %s", target ? "output" : "framebuffer");
        warned_ = true;
      }
      return;
    }
    const QSize size = target->size();
    if (!copy_) {
      // KWin also records a frame later from its frame-rate timer, outside any paint, reading
      // whatever framebuffer is current; an empty stack there would be a null one. Under the
      // scene's target lies from now on a copy of the last frame.
      texture_ = std::make_unique<KWin::GLTexture>(GL_RGBA8, size);
      copy_ = std::make_unique<KWin::GLFramebuffer>(texture_.get());
      KWin::GLFramebuffer::popFramebuffer();
      KWin::GLFramebuffer::pushFramebuffer(copy_.get());
      KWin::GLFramebuffer::pushFramebuffer(target);
    }
    copy_->blitFromFramebuffer();
    const QRegion whole(0, 0, size.width(), size.height());
    if (!QMetaObject::invokeMethod(output, "outputChange", Qt::DirectConnection,
                                   Q_ARG(QRegion, whole)) &&
        !warned_) {
      qWarning("vistrel frame feed: the output has no outputChange signal");
      warned_ = true;
    }
  }

 private:
  std::unique_ptr<KWin::GLTexture> texture_;
  std::unique_ptr<KWin::GLFramebuffer> copy_;
  bool warned_ = false;
};

}  // namespace

KWIN_EFFECT_FACTORY_SUPPORTED(FrameFeed, "metadata.json",
                              return KWin::effects->isOpenGLCompositing();)

#include "frame_feed.moc"
