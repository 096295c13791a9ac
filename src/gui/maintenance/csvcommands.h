#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace pirumoa {

struct DatabaseFile;

// The main menu's CSV commands. They read and write CSV exactly as pirumoa-cli does. The
// file dialogs start in the folder of the last CSV file (remembered across runs).
class CsvCommands {
public:
    // Asks for a CSV file and adds its draws, all or nothing. Draws stored with other digits
    // are replaced only when the user agrees. When the database changed, changed() runs
    // before the summary is shown. Dialogs and messages go through Prompt.
    static void importFromFile(QWidget* parent, const DatabaseFile& connect,
                               const std::function<void()>& changed = {});
    // Asks for a file name and writes every stored draw to it.
    static void exportToFile(QWidget* parent, const DatabaseFile& connect);

    // The work without the dialogs.
    static void importFile(QWidget* parent, const DatabaseFile& connect, const QString& csvPath,
                           const std::function<void()>& changed = {});
    static void exportFile(QWidget* parent, const DatabaseFile& connect, const QString& csvPath);
};

}  // namespace pirumoa
