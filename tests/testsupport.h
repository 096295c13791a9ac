#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"
#include "core/store/drawstore.h"

namespace pirumoa::test {

// "1122" → a complete draw; "11_2" → the third digit missing. Draw numbers count from first.
std::vector<DrawRecord> draws(std::initializer_list<const char*> digits, int first = 1);

// A history built by the loader's own totals from hand-made rows.
DrawHistory history(std::initializer_list<const char*> digits, int first = 1);

// A database in a temporary folder holding the given draws.
struct TempDatabase {
    QTemporaryDir dir;
    DatabaseFile connect;
    explicit TempDatabase(const std::vector<DrawRecord>& rows = {});
};

// Runs the built pirumoa-cli, waiting for it to end.
struct CliRun {
    int code = -1;  // -1 when it did not end normally
    QByteArray out, err;
};
CliRun runCli(const QStringList& args, const QString& workDir = QString());

QByteArray readFile(const QString& path);

// One digit, a new draw, a deleted draw: each written through the store as one edit of its
// own, as the data entry writes them (a draw not stored is refused as such).
void setDigit(DrawStore& store, int no, int position, int digit);
void insertDraw(DrawStore& store, const DrawRecord& draw);
void deleteDraw(DrawStore& store, int no);

// Runs body in a forked child and returns what it returned; the child ends with _exit
// whatever body does, so a failure inside it never runs on inside the test program.
QByteArray inChild(const std::function<QByteArray()>& body);

// A small file system of its own (tmpfs) that fill() makes full, for the disk-full faults:
// in a folder of its own, or mounted on the folder at (made when missing).
// Mounting needs root: ok() is false where it is not allowed, and the test is skipped.
class FullDisk {
public:
    explicit FullDisk(const QString& at = QString());
    ~FullDisk();
    bool ok() const { return m_mounted; }
    QString path() const { return m_path; }
    // Takes every free byte.
    void fill();

private:
    QTemporaryDir m_dir;
    QString m_path;
    bool m_mounted = false;
};

// The digit cells of the prediction grids (columns 2 to 5 from row 2), "." for an empty
// cell: rows separated by "/", grids by " | ".
QString predictionDigits(const std::vector<const Sheet*>& grids);

}  // namespace pirumoa::test
