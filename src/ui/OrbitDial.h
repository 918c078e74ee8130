#pragma once
// The tray panel's dial: one ring per body, drawn faintly, with the body's
// share lit along its ring from the top and a dot where it ends. Repaints only
// when its bodies change.
#include <QQuickPaintedItem>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class OrbitDial : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    // A list of {fraction, color}, outermost first.
    Q_PROPERTY(QVariantList bodies READ bodies WRITE setBodies NOTIFY bodiesChanged)
public:
    explicit OrbitDial(QQuickItem* parent = nullptr);
    QVariantList bodies() const { return bodies_; }
    void setBodies(const QVariantList& bodies);
    void paint(QPainter* painter) override;
signals:
    void bodiesChanged();
private:
    QVariantList bodies_;
};
