#pragma once

#include <QString>

class QWidget;

namespace pirumoa {

class HistoryDocument;

// The main menu's CSV commands. They read and write CSV exactly as pirumoa-cli does. The
// file dialogs start in the folder of the last CSV file (remembered across runs).
class CsvCommands {
public:
    // Asks for a CSV file and adds its draws through the document, all or nothing. Draws
    // stored with other digits are replaced only when the user agrees. Every window shows the
    // new draws before the summary. Dialogs and messages go through Prompt.
    static void importFromFile(QWidget* parent, HistoryDocument& document);
    // Asks for a file name and writes every stored draw to it.
    static void exportToFile(QWidget* parent, const HistoryDocument& document);

    // The work without the dialogs.
    static void importFile(QWidget* parent, HistoryDocument& document, const QString& csvPath);
    static void exportFile(QWidget* parent, const HistoryDocument& document,
                           const QString& csvPath);

    // Where every CSV file dialog of the program starts (the tickets' too): the folder of the
    // last CSV file chosen, or else the user's documents.
    static QString startFolder();
    static void rememberFolder(const QString& chosenFile);
};

}  // namespace pirumoa
