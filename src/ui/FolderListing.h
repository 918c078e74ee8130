#pragma once
// The folders inside one folder, for the window's own folder picker: each
// subfolder's name, path and modification date, in the interface language's
// alphabetical order, with the way up and home.
#include <filesystem>
#include <vector>

#include <QAbstractListModel>
#include <QDateTime>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class FolderListing : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    // The open folder, as a path ("/home/demo/Fotos").
    Q_PROPERTY(QString folder READ folder NOTIFY folderChanged)
    // The open folder as the window shows it ("~/Fotos").
    Q_PROPERTY(QString shownFolder READ shownFolder NOTIFY folderChanged)
    Q_PROPERTY(bool atRoot READ atRoot NOTIFY folderChanged)
    Q_PROPERTY(bool atHome READ atHome NOTIFY folderChanged)
    Q_PROPERTY(int count READ count NOTIFY folderChanged)
    Q_PROPERTY(bool showHidden READ showHidden WRITE setShowHidden NOTIFY showHiddenChanged)
    // Why the last folder asked for could not be opened, in a sentence; empty when it opened.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    enum Role { NameRole = Qt::UserRole + 1, PathRole, ModifiedRole };

    explicit FolderListing(QObject* parent = nullptr);

    QString folder() const;
    QString shownFolder() const;
    bool atRoot() const;
    bool atHome() const;
    int count() const { return int(rows_.size()); }
    bool showHidden() const { return showHidden_; }
    void setShowHidden(bool show);
    QString problem() const { return problem_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Opens a folder given as a path, "~/…" or a file URL. Something that is
    // not a folder that can be read leaves the open folder as it was, and
    // `problem` says so; false then.
    Q_INVOKABLE bool open(const QString& where);
    // The folder above the open one (nothing at the root), with the folder
    // left behind as the row to start from (see rowOf).
    Q_INVOKABLE void up();
    Q_INVOKABLE void goHome();
    // The row of a subfolder of the open folder given by path, or -1.
    Q_INVOKABLE int rowOf(const QString& path) const;
    // The path of a row ("" out of range).
    Q_INVOKABLE QString pathAt(int row) const;
    // A path as the window shows it ("~/Fotos").
    Q_INVOKABLE QString shownPath(const QString& path) const;
    // The folder at PATH as a file URL (for the callers that take URLs).
    Q_INVOKABLE QUrl urlOf(const QString& path) const;
    // The first row from FROM on (wrapping) whose name begins with PREFIX,
    // ignoring case, or -1: typing a name's start moves to it.
    Q_INVOKABLE int rowStartingWith(const QString& prefix, int from) const;

signals:
    void folderChanged();
    void showHiddenChanged();
    void problemChanged();

private:
    struct Row {
        QString name;
        std::filesystem::path path;
        QDateTime modified;
    };
    std::filesystem::path folder_;
    std::vector<Row> rows_;
    bool showHidden_ = false;
    QString problem_;

    bool list(const std::filesystem::path& folder);
    void setProblem(const QString& problem);
};
