#pragma once
// The program's icon in the desktop's tray (the menu-bar extra): a drawn mark
// whose click toggles the tray panel. Where the desktop has no tray, nothing
// is shown and `available` is false, so the window offers another way in.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QObject>
#include <QtQml/qqmlregistration.h>

class QSystemTrayIcon;

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
};

// Where a panel opens beside a tray icon at ICON within SCREEN (available
// area): under an icon in the top half, above one in the bottom half,
// horizontally centred on it, always inside the screen. An empty icon rect
// places the panel at the screen's top-right corner.
QPoint panelPlacement(const QRect& icon, const QSize& panel, const QRect& screen, int gap = 6);
