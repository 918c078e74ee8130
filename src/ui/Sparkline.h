#pragma once
// A small line chart of recent values with a faint fill under it. Repaints
// only when its values change.
#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

class Sparkline : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<qreal> values READ values WRITE setValues NOTIFY valuesChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    // The top of the scale; 0 scales to the largest value.
    Q_PROPERTY(double maximum READ maximum WRITE setMaximum NOTIFY maximumChanged)
public:
    explicit Sparkline(QQuickItem* parent = nullptr);
    QList<qreal> values() const { return values_; }
    void setValues(const QList<qreal>& values);
    QColor color() const { return color_; }
    void setColor(const QColor& color);
    double maximum() const { return maximum_; }
    void setMaximum(double maximum);
    void paint(QPainter* painter) override;
signals:
    void valuesChanged();
    void colorChanged();
    void maximumChanged();
private:
    QList<qreal> values_;
    QColor color_{0x94, 0x98, 0xF2};
    double maximum_ = 0;
};
