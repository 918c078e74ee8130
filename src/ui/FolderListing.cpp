#include "ui/FolderListing.h"

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCollator>
#include <QFile>
#include <QLocale>

#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "i18n/Lang.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"

namespace fs = std::filesystem;

namespace {

// The interface language's alphabetical order: "foto 2" before "Foto 10".
QCollator interfaceOrder()
{
    QCollator order(interfaceLocale(appLang()));
    order.setNumericMode(true);
    order.setCaseSensitivity(Qt::CaseInsensitive);
    return order;
}

// A path typed or handed over (a path, "~/…", a file URL) as a clean absolute path.
fs::path pathFrom(const QString& where, const fs::path& base)
{
    QString text = where.trimmed();
    if (text.startsWith(QLatin1String("file:")))
        text = QUrl(text).toLocalFile();
    if (text.isEmpty())
        return {};
    fs::path path = FS::expand(QFile::encodeName(text).toStdString());
    if (path.is_relative())
        path = base / path;
    path = path.lexically_normal();
    if (path != path.root_path() && !path.has_filename())
        path = path.parent_path();  // "/a/b/" is "/a/b"
    return path;
}

QDateTime modifiedTime(const struct stat& info)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000);
}

} // namespace

FolderListing::FolderListing(QObject* parent) : QAbstractListModel(parent) {}

QString FolderListing::folder() const { return FS::text(folder_); }
QString FolderListing::shownFolder() const { return folder_.empty() ? QString() : FS::pretty(folder_); }
bool FolderListing::atRoot() const { return folder_ == folder_.root_path(); }
bool FolderListing::atHome() const { return folder_ == FS::home(); }

void FolderListing::setShowHidden(bool show)
{
    if (show == showHidden_)
        return;
    showHidden_ = show;
    emit showHiddenChanged();
    if (!folder_.empty())
        list(folder_);
}

int FolderListing::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

QVariant FolderListing::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const Row& row = rows_[std::size_t(index.row())];
    switch (role) {
    case NameRole:
        return row.name;
    case PathRole:
        return FS::text(row.path);
    case ModifiedRole:
        return row.modified;
    }
    return {};
}

QHash<int, QByteArray> FolderListing::roleNames() const
{
    return {{NameRole, "name"}, {PathRole, "path"}, {ModifiedRole, "modified"}};
}

bool FolderListing::list(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    std::vector<Row> rows;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || (name.front() == '.' && !showHidden_))
            continue;
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
            continue;  // files and links: only real folders can be chosen
        struct stat info {};
        if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode))
            continue;
        rows.push_back({QFile::decodeName(QByteArray::fromStdString(name)), folder / name, modifiedTime(info)});
    }
    closedir(dir);
    const QCollator order = interfaceOrder();
    std::sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        const int by = order.compare(a.name, b.name);
        return by != 0 ? by < 0 : a.path < b.path;
    });
    beginResetModel();
    folder_ = folder;
    rows_ = std::move(rows);
    endResetModel();
    emit folderChanged();
    return true;
}

void FolderListing::setProblem(const QString& problem)
{
    if (problem == problem_)
        return;
    problem_ = problem;
    emit problemChanged();
}

bool FolderListing::open(const QString& where)
{
    const fs::path path = pathFrom(where, folder_.empty() ? FS::home() : folder_);
    std::error_code error;
    if (!path.empty() && fs::is_directory(path, error) && list(path)) {
        setProblem({});
        return true;
    }
    // the folder named stays in its own order inside the sentence, its marks written out
    setProblem(LF("Não foi possível abrir %@.", shownRun(path.empty() ? where : FS::pretty(path))));
    if (folder_.empty())
        list(FS::home());  // a picker always shows some folder
    return false;
}

void FolderListing::up()
{
    if (!folder_.empty() && !atRoot())
        open(FS::text(folder_.parent_path()));
}

void FolderListing::goHome() { open(FS::text(FS::home())); }

int FolderListing::rowOf(const QString& path) const
{
    const fs::path wanted(QFile::encodeName(path).toStdString());
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].path == wanted)
            return int(i);
    return -1;
}

QString FolderListing::pathAt(int row) const
{
    return row >= 0 && row < count() ? FS::text(rows_[std::size_t(row)].path) : QString();
}

QString FolderListing::shownPath(const QString& path) const
{
    return path.isEmpty() ? QString() : FS::pretty(fs::path(QFile::encodeName(path).toStdString()));
}

QUrl FolderListing::urlOf(const QString& path) const { return QUrl::fromLocalFile(path); }

int FolderListing::rowStartingWith(const QString& prefix, int from) const
{
    if (prefix.isEmpty() || rows_.empty())
        return -1;
    const int n = count();
    for (int step = 0; step < n; ++step) {
        const int row = ((from < 0 ? 0 : from) + step) % n;
        if (rows_[std::size_t(row)].name.startsWith(prefix, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}
