#pragma once
// The tray panel's speed test: runs the profile's speed-test tool in the
// background and keeps the line it made of the tool's output.
#include <functional>
#include <optional>

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class SpeedTest : public QObject {
    Q_OBJECT
    QML_ELEMENT

    // Whether the profile's speed-test tool is installed (else the panel says what to install).
    Q_PROPERTY(bool available READ available CONSTANT)
    Q_PROPERTY(bool testing READ testing NOTIFY testingChanged)
    // The network row's line after a test; empty before the first.
    Q_PROPERTY(QString speed READ speed NOTIFY speedChanged)

public:
    explicit SpeedTest(QObject* parent = nullptr);

    bool available() const { return available_; }
    bool testing() const { return testing_; }
    QString speed() const { return speed_.value_or(QString()); }

    // Runs the speed-test tool in the background; nothing while one runs or
    // when the tool is not installed.
    Q_INVOKABLE void test();

    // Replaces the speed-test tool (tests): returns what the tool printed.
    void setTool(std::function<QByteArray()> tool)
    {
        tool_ = std::move(tool);
        available_ = true;
    }

signals:
    void testingChanged();
    void speedChanged();
    // A test has finished (tests wait for it).
    void finished();

private:
    bool available_ = false;
    bool testing_ = false;
    std::optional<QString> speed_;
    std::function<QByteArray()> tool_;
};
