#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <string>
#include <vector>

// Tells when a file appears, changes or goes at one of the places a module catalogue is looked
// for, so that the window reads the catalogue again. The folders are watched for a file that
// appears or that an editor saves by renaming a new one into place.
class CatalogueWatch : public QObject {
    Q_OBJECT

public:
    CatalogueWatch(QObject* parent, const std::vector<std::string>& places);

signals:
    void changed();

private:
    void watchPlaces();

    QStringList places;
    QFileSystemWatcher watcher;
};
