#pragma once
// A radial gradient from a colour at a given opacity to clear: the faint glow
// at the top of the sky.
#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

class RadialGlow : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color MEMBER color_ NOTIFY changed)
    Q_PROPERTY(double strength MEMBER strength_ NOTIFY changed)   // opacity at the centre
    Q_PROPERTY(double centerX MEMBER centerX_ NOTIFY changed)     // fraction of the width
    Q_PROPERTY(double centerY MEMBER centerY_ NOTIFY changed)     // fraction of the height
    Q_PROPERTY(double radius MEMBER radius_ NOTIFY changed)       // points
public:
    explicit RadialGlow(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;
signals:
    void changed();
private:
    QColor color_ = Qt::white;
    double strength_ = 0.16;
    double centerX_ = 0.5;
    double centerY_ = 0;
    double radius_ = 620;
};
