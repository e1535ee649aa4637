#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// The options of a file dialog of the program: what it asks for and where it opens.
struct TFileDialogOptions {
    QString filter;        // "Файлы сценариев (*.lsc)"; several separated by ";;"
    QString defaultSuffix; // added to a typed name without one ("lsc")
    bool save = false;
    QString initial;       // a file name or path to start with; a path's folder is opened
    QString title;         // empty: Qt's own "Открыть" / "Сохранить как"
};

// Every file dialog of the program is the same one, whatever the desktop: Qt's own dialog in the
// program's language, with columns wide enough for the names of the sizes, types and dates, opening in
// the folder of the last file chosen in any of them, or in the data folder before the first.
void PrepareFileDialog(QFileDialog &dialog, const TFileDialogOptions &options);

// Shows the dialog modally; the chosen file, or empty when the player cancelled.
QString RunFileDialog(QWidget *parent, const TFileDialogOptions &options);

// A file's size as the file dialog shows it: whole bytes with the word's Russian form ("1 байт",
// "2 байта", "5 байт") in Russian, larger sizes in kilo-, mega- and gigabytes with one decimal.
QString FileSizeText(long long bytes);

// The folder the next file dialog opens in.
QString FileDialogFolder();
// Notes the folder of a chosen file for the next dialog; empty: the data folder again.
void RememberFileDialogFolder(const QString &chosenFile);
