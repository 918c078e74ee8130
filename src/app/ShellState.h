#pragma once
// The window's shell: the section shown, the one-line message, whether the
// protected places can be read (the Full Disk Access banner), and how thick
// the sky's nebula is. Every feature says what it has to say through here.
#include <optional>

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "app/AppSection.h"
#include "app/OneInstance.h"

// How thick the sky's nebula is: the clutter found so far, between 0.08 and 1.
double nebulaDensityFor(bool scanning, bool scanned, std::int64_t live, std::int64_t selectedTotal);

class ShellState : public QObject, public OneInstance<ShellState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QString section READ section WRITE setSection NOTIFY sectionChanged)
    Q_PROPERTY(QVariantList sections READ sections CONSTANT)
    Q_PROPERTY(QString message READ message WRITE setMessage NOTIFY messageChanged)
    Q_PROPERTY(bool fda READ fda NOTIFY fdaChanged)
    Q_PROPERTY(double nebulaDensity READ nebulaDensity NOTIFY nebulaDensityChanged)

public:
    // Whether the window checks access to the protected places at all (the
    // active profile says); without the check the banner never shows.
    explicit ShellState(bool fullDiskAccessProbe, QObject* parent = nullptr);

    QString section() const;
    std::optional<AppSection> currentSection() const { return section_; }
    void setSection(const QString& id);  // unknown id or empty text = no section
    QVariantList sections() const;

    QString message() const { return message_.value_or(QString()); }
    bool hasMessage() const { return message_.has_value(); }
    // Operations only ever set a text; an empty one means the same as dismissing.
    void setMessage(const QString& text);
    Q_INVOKABLE void dismissMessage();

    bool fda() const { return fda_; }
    Q_INVOKABLE void refreshFda();

    double nebulaDensity() const { return nebulaDensity_; }
    void setNebulaDensity(double density);

signals:
    void sectionChanged();
    void messageChanged();
    void fdaChanged();
    void nebulaDensityChanged();

private:
    std::optional<AppSection> section_ = AppSection::overview;
    std::optional<QString> message_;
    bool probe_ = true;
    bool fda_ = false;
    double nebulaDensity_ = 0.5;
};
