#pragma once
// Small QML singletons that hand the stateless services to the screens:
// I18n (L, LF, layout direction), Fmt, Symbols, Sound, FS, General and Motion.
#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <vector>

#include "i18n/L.h"

class I18nBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(I18n)
    QML_SINGLETON
    Q_PROPERTY(bool rightToLeft READ rightToLeft CONSTANT)
    Q_PROPERTY(QString language READ language CONSTANT)
public:
    using QObject::QObject;
    bool rightToLeft() const;
    QString language() const;  // the two-letter code of the interface language
    Q_INVOKABLE QString L(const QString& text) const;
    // Integral numbers fill %ld, everything else %@.
    Q_INVOKABLE QString LF(const QString& text, const QVariantList& args) const;
    // A count text in the form its language uses for n: LP(n, "%ld itens", [n]).
    Q_INVOKABLE QString LP(double n, const QString& key, const QVariantList& args) const;
    // "1 item", "3 itens".
    Q_INVOKABLE QString items(double count) const;
    // A text made elsewhere (already localised), laid out in the interface's direction.
    Q_INVOKABLE QString directed(const QString& text) const;
    // A text of its own direction (a path, a name) set inside a sentence: in a
    // right-to-left interface it is isolated so it keeps its own order.
    Q_INVOKABLE QString isolate(const QString& text) const;
    // A short title broken once, at a word boundary, to fit two narrow lines.
    Q_INVOKABLE QString twoLines(const QString& title) const;
private:
    std::vector<FmtArg> arguments(const QVariantList& args) const;
};

class FmtBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Fmt)
    QML_SINGLETON
public:
    using QObject::QObject;
    Q_INVOKABLE QString bytes(double n) const;
    Q_INVOKABLE QString date(const QVariant& d) const;
    // A count and a share (0.42 → "42%") as the formatting locale writes them.
    Q_INVOKABLE QString number(double n) const;
    Q_INVOKABLE QString percent(double fraction) const;
};

class SymbolsBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Symbols)
    QML_SINGLETON
public:
    using QObject::QObject;
    Q_INVOKABLE QString glyph(const QString& symbol) const;
};

class SoundBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Sound)
    QML_SINGLETON
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
public:
    using QObject::QObject;
    bool enabled() const;
    void setEnabled(bool on);
    Q_INVOKABLE void play(const QString& name, double volume = 0.8);
signals:
    void enabledChanged();
};

class FSBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(FS)
    QML_SINGLETON
public:
    using QObject::QObject;
    Q_INVOKABLE void openFullDiskAccessSettings() const;
    Q_INVOKABLE void relaunch() const;
};

// The general settings: the version text (the login item is StartupState's).
class GeneralBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(General)
    QML_SINGLETON
    Q_PROPERTY(QString version READ version CONSTANT)
public:
    using QObject::QObject;
    QString version() const;
};

class MotionBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Motion)
    QML_SINGLETON
public:
    using QObject::QObject;
    // A damped spring from 0 to 1 at time t (seconds).
    Q_INVOKABLE double spring(double t, double response, double dampingFraction) const;
};

// Files as the screens show them: an icon by kind, and revealing an item.
class FilesBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Files)
    QML_SINGLETON
public:
    using QObject::QObject;
    // The symbol name of the item's kind (folder, package, picture, film…).
    Q_INVOKABLE QString symbolFor(const QString& path) const;
    // Shows the item in the file manager; the sentence to show when nothing
    // could, else nothing.
    Q_INVOKABLE QString reveal(const QString& path) const;
};
