#pragma once
// The program's icon in the desktop's tray (the menu-bar extra): a drawn mark
// whose click toggles the tray panel (a double click toggles it once). Where the desktop has no tray, nothing
// is shown and `available` is false, so the window offers another way in.
#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QObject>
#include <QtQml/qqmlregistration.h>

class QSystemTrayIcon;

// Which activations of the tray icon toggle the panel. A double click reaches
// the program as a click and then a double click (some tray hosts send two
// clicks instead): only its first click may toggle, or the panel would open
// and close again at once. So an activation toggles unless another one
// toggled less than a double-click interval before it.
class TrayClickFilter {
public:
    explicit TrayClickFilter(int doubleClickMs) : doubleClickMs_(doubleClickMs) {}
    // Whether a click or double click at time MS (milliseconds on any steady clock) toggles.
    bool toggles(qint64 ms);

private:
    int doubleClickMs_;
    qint64 lastToggle_ = 0;
    bool toggled_ = false;
};

class TrayIcon : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool available READ available CONSTANT)
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;
    bool available() const { return icon_ != nullptr; }
    // Where a panel of SIZE opens: beside the icon, inside the screen (a
    // screen-corner spot when the icon's place is unknown).
    Q_INVOKABLE QPoint panelPosition(const QSize& size) const;
signals:
    void clicked();
private:
    QSystemTrayIcon* icon_ = nullptr;
    TrayClickFilter clicks_;
    QElapsedTimer clock_;
};

// Where a panel opens beside a tray icon at ICON within SCREEN (available
// area): under an icon in the top half, above one in the bottom half,
// horizontally centred on it, always inside the screen. An empty icon rect
// places the panel at the screen's top-right corner.
QPoint panelPlacement(const QRect& icon, const QSize& panel, const QRect& screen, int gap = 6);
