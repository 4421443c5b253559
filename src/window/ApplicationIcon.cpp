#include "window/ApplicationIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <optional>

// The images live in a resource of a static library, which the linker keeps only
// when it is asked for by name; the asking must happen outside any namespace.
static void InitIconResource() {
    Q_INIT_RESOURCE(goalvanta);
}

namespace goalvanta {

namespace {

constexpr int IconSizes[] = {16, 24, 32, 48, 64};

// Title bars, task bars and the About box (32 pixels, 64 on a doubled screen)
// need no more. Every image is decoded when it is added to an icon, and on X11
// every one is sent to the window manager before the first paint: the 128 and 256
// pixel images cost more than the rest together. Larger pictures of the program
// come from the desktop's icon theme, where the package installs all sizes.
QIcon LoadIcon() {
    InitIconResource();
    QIcon icon;
    for (int size : IconSizes)
        icon.addFile(QString(":/icons/goalvanta-%1.png").arg(size), QSize(size, size));
    return icon;
}

// The program's icon, decoded only when something draws it or asks for one of its
// images: a platform that shows no icon for the window (offscreen, or one that
// takes it from the desktop file) never pays for the decoding, and the others pay
// it where they first need it. Until then it answers from the list of its sizes.
class TDeferredIconEngine final : public QIconEngine {
public:
    TDeferredIconEngine() = default;
    TDeferredIconEngine(const TDeferredIconEngine& other)
        : QIconEngine(other), FIcon(other.FIcon) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        if (FIcon)
            return FIcon->availableSizes(mode, state);
        // The images are all of the normal, unchecked kind, as the loaded icon says.
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off)
            for (int size : IconSizes)
                sizes.append(QSize(size, size));
        return sizes;
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("goalvanta-deferred"); }
    QIconEngine* clone() const override { return new TDeferredIconEngine(*this); }

private:
    QIcon& Icon() {
        if (!FIcon)
            FIcon = LoadIcon();
        return *FIcon;
    }

    std::optional<QIcon> FIcon;
};

} // namespace

QIcon ApplicationIcon() {
    return QIcon(new TDeferredIconEngine);
}

void SetUpApplication() {
    QApplication::setApplicationName("Goalvanta");
    QApplication::setApplicationVersion("1.00");
    QApplication::setDesktopFileName("example.goalvanta.Goalvanta");
    QApplication::setWindowIcon(ApplicationIcon());
}

} // namespace goalvanta
