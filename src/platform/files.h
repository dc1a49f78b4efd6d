#pragma once
// The station's text files (logs, markers, settings files, transfer files). Results are
// the station's error numbers: 0 done, 53 file not found, 75 path or file access error,
// 57 device I/O error. Tests put a double behind this to make writes fail.

#include <QByteArray>
#include <QString>
#include <optional>

namespace pw {

class Files {
public:
    virtual ~Files() = default;
    virtual bool exists(const QString& path) const = 0;
    virtual std::optional<QByteArray> read(const QString& path) const = 0;
    // Appends to the file, creating it when missing.
    virtual int append(const QString& path, const QByteArray& bytes) = 0;
    // Replaces the file's content; the data is flushed to disk before this returns.
    virtual int write(const QString& path, const QByteArray& bytes) = 0;
    // Writes the bytes to a temporary file in path's folder, flushes it and renames it over
    // path. Never writes path in place: on any failure path stays as it was.
    virtual int replace(const QString& path, const QByteArray& bytes) = 0;
    virtual int copy(const QString& from, const QString& to) = 0;
    virtual int remove(const QString& path) = 0;
};

class DiskFiles : public Files {
public:
    bool exists(const QString& path) const override;
    std::optional<QByteArray> read(const QString& path) const override;
    int append(const QString& path, const QByteArray& bytes) override;
    int write(const QString& path, const QByteArray& bytes) override;
    int replace(const QString& path, const QByteArray& bytes) override;
    int copy(const QString& from, const QString& to) override;
    int remove(const QString& path) override;
};

// The suite names its files in one letter case and Linux file names are case-sensitive:
// when path does not exist as written, returns the entry of its folder whose name matches
// the last component in any letter case; otherwise path unchanged. Folders are never
// changed.
QString resolve_name(const QString& path);

} // namespace pw
