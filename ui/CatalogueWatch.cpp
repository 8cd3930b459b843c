#include "ui/CatalogueWatch.h"

#include <QFile>
#include <QFileInfo>

CatalogueWatch::CatalogueWatch(QObject* parent, const std::vector<std::string>& placesToWatch)
    : QObject(parent) {
    for (const std::string& place : placesToWatch)
        places << QFileInfo(QFile::decodeName(place.c_str())).absoluteFilePath();
    const auto noticed = [this] {
        watchPlaces();
        emit changed();
    };
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, noticed);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, noticed);
    watchPlaces();
}

void CatalogueWatch::watchPlaces() {
    // A file replaced or removed is no longer watched; the one now in its place is.
    const QStringList watchedFiles = watcher.files();
    const QStringList watchedFolders = watcher.directories();
    for (const QString& place : places) {
        const QFileInfo file(place);
        if (file.exists() && !watchedFiles.contains(place))
            watcher.addPath(place);
        const QString folder = file.absolutePath();
        if (QFileInfo(folder).isDir() && !watchedFolders.contains(folder))
            watcher.addPath(folder);
    }
}

#include "moc_CatalogueWatch.cpp"
