#include "ui/TrayIcon.h"

#include <algorithm>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStyleHints>
#include <QSystemTrayIcon>

namespace {

// The mark: a ring with a glowing sun and one planet, like the window's brand mark.
QIcon drawnMark()
{
    QIcon icon;
    for (const int side : {16, 22, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = side;
        p.setPen(QPen(QColor(0xB4, 0xB7, 0xF7, 200), std::max(1.0, s / 18)));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84));
        QRadialGradient sun(QPointF(s / 2, s / 2), s * 0.26);
        sun.setColorAt(0, QColor(0xB4, 0xB7, 0xF7));
        sun.setColorAt(1, QColor(0x6E, 0x73, 0xE8));
        p.setPen(Qt::NoPen);
        p.setBrush(sun);
        p.drawEllipse(QPointF(s / 2, s / 2), s * 0.24, s * 0.24);
        p.setBrush(QColor(0x94, 0x98, 0xF2));
        p.drawEllipse(QPointF(s * 0.80, s * 0.20), s * 0.11, s * 0.11);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QPoint panelPlacement(const QRect& icon, const QSize& panel, const QRect& screen, int gap)
{
    if (icon.isEmpty())
        return {screen.right() + 1 - panel.width() - gap, screen.top() + gap};
    int x = icon.center().x() - panel.width() / 2;
    int y = icon.center().y() < screen.center().y() ? icon.bottom() + 1 + gap : icon.top() - gap - panel.height();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - panel.width()));
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - panel.height()));
    return {x, y};
}

bool TrayClickFilter::toggles(qint64 ms)
{
    if (toggled_ && ms - lastToggle_ < doubleClickMs_)
        return false;
    toggled_ = true;
    lastToggle_ = ms;
    return true;
}

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
    , clicks_(QGuiApplication::styleHints()->mouseDoubleClickInterval())
{
    clock_.start();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    // The installed icon; the drawn mark when running from the build folder.
    icon_ = new QSystemTrayIcon(QIcon::fromTheme(QStringLiteral("com.halvick.Quillmoor"), drawnMark()), this);
    icon_->setToolTip(QStringLiteral("Quillmoor"));
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if ((reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            && clicks_.toggles(clock_.elapsed()))
            emit clicked();
    });
    icon_->show();
}

TrayIcon::~TrayIcon() = default;

QPoint TrayIcon::panelPosition(const QSize& size) const
{
    const QRect iconRect = icon_ ? icon_->geometry() : QRect();
    QScreen* screen = iconRect.isEmpty() ? QGuiApplication::primaryScreen()
                                         : QGuiApplication::screenAt(iconRect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    return panelPlacement(iconRect, size, area);
}
