#pragma once

#include <QString>

class QWidget;

namespace pirumoa {

struct ConnectString;

// The main menu's CSV commands. They read and write CSV exactly as pirumoa-cli does; the
// draws they add reach the analyses at the next start, as the data-entry window's do.
class CsvCommands {
public:
    // Asks for a CSV file and adds its draws, all or nothing. Draws stored with other digits
    // are replaced only when the user agrees. Dialogs and messages go through Prompt.
    static void importFromFile(QWidget* parent, const ConnectString& connect);
    // Asks for a file name and writes every stored draw to it.
    static void exportToFile(QWidget* parent, const ConnectString& connect);

    // The work without the dialogs.
    static void importFile(QWidget* parent, const ConnectString& connect, const QString& csvPath);
    static void exportFile(QWidget* parent, const ConnectString& connect, const QString& csvPath);
};

}  // namespace pirumoa
