#include "common/widgets/FileDialogs.h"

#include "common/ProgramFiles.h"
#include "common/Format.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListView>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString &LastFolder()
{
    static QString folder;
    return folder;
}

// The detail columns of Qt's dialog: name, size, type, date modified.
constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

// Sizes and dates in the program's language: the dialog's own model writes them in the desktop's.
class ProgramLocaleFiles : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::DisplayRole && (index.column() == kSizeColumn || index.column() == kDateColumn))
            if (const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel())) {
                const QFileInfo info = files->fileInfo(mapToSource(index));
                if (index.column() == kDateColumn)
                    return QLocale().toString(info.lastModified(), QLocale::ShortFormat);
                return info.isDir() ? QString() : FileSizeText(info.size());
            }
        return QIdentityProxyModel::data(index, role);
    }
};

// Room for the widest of the texts in a column of the view, its margins and the sort mark included.
int ColumnWidth(const QTreeView *view, const QStringList &samples)
{
    const QFontMetrics metrics(view->font());
    int widest = 0;
    for (const QString &s : samples)
        widest = std::max(widest, metrics.horizontalAdvance(s));
    return widest + 3 * metrics.horizontalAdvance(u'M');
}

void WidenColumns(QFileDialog &dialog)
{
    auto *details = dialog.findChild<QTreeView *>(u"treeView"_s);
    if (!details)
        return;
    QHeaderView *header = details->header();
    auto caption = [header](int column) {
        return header->model() ? header->model()->headerData(column, Qt::Horizontal).toString() : QString();
    };
    // A date as the dialog writes it, with two-digit day, month, hour and minute.
    const QString date = QLocale().toString(QDateTime(QDate(2026, 12, 28), QTime(23, 58)), QLocale::ShortFormat);
    const QString folderType = QCoreApplication::translate("QFileDialog", "Folder", "All other platforms");
    const QString fileType = QCoreApplication::translate("QFileDialog", "%1 File").arg(u"lsc"_s);
    const QString size = FileSizeText(999'999'999);
    header->resizeSection(kSizeColumn, ColumnWidth(details, {caption(kSizeColumn), size, FileSizeText(1023)}));
    header->resizeSection(kTypeColumn, ColumnWidth(details, {caption(kTypeColumn), folderType, fileType}));
    header->resizeSection(kDateColumn, ColumnWidth(details, {caption(kDateColumn), date}));
    const int others = header->sectionSize(kSizeColumn) + header->sectionSize(kTypeColumn) +
                       header->sectionSize(kDateColumn);
    header->resizeSection(0, ColumnWidth(details, {caption(0), u"Мой сценарий 2026.lsc"_s}));

    // The places on the left show their names whole ("Компьютер", the home folder).
    if (auto *splitter = dialog.findChild<QSplitter *>(u"splitter"_s); splitter && splitter->count() == 2) {
        const int side = dialog.fontMetrics().horizontalAdvance(u"Рабочий стол   "_s) + 48;
        splitter->setSizes({side, header->sectionSize(0) + others});
    }
    // The types are the desktop's names of the kinds of files ("Текстовый документ"): once a folder is
    // read, its size and type columns grow to what its files show.
    if (auto *files = dialog.findChild<QFileSystemModel *>())
        QObject::connect(files, &QFileSystemModel::directoryLoaded, details, [details] {
            QHeaderView *columns = details->header();
            for (const int column : {kSizeColumn, kTypeColumn}) {
                QStringList texts;
                const QModelIndex root = details->rootIndex();
                for (int row = 0, rows = details->model()->rowCount(root); row < rows; ++row)
                    texts << details->model()->index(row, column, root).data().toString();
                columns->resizeSection(column, std::max(columns->sectionSize(column), ColumnWidth(details, texts)));
            }
        });
    // Wide enough for all columns where the screen allows.
    const QRect screen = dialog.screen() ? dialog.screen()->availableGeometry() : QRect(0, 0, 1200, 800);
    const int wanted = header->sectionSize(0) + others + dialog.fontMetrics().horizontalAdvance(u"Рабочий стол"_s) + 140;
    dialog.resize(std::min(wanted, screen.width() * 9 / 10), std::min(480, screen.height() * 9 / 10));
}

} // namespace

QString FileSizeText(long long bytes)
{
    const QLocale locale;
    if (bytes >= 1024 || bytes < 0)
        return locale.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
    if (locale.language() != QLocale::Russian)
        return locale.formattedDataSize(bytes);
    return BytesText(bytes);
}

QString FileDialogFolder()
{
    const QString last = LastFolder();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return GetProgramFolder();
}

void RememberFileDialogFolder(const QString &chosenFile)
{
    LastFolder() = chosenFile.isEmpty() ? QString() : QFileInfo(chosenFile).absolutePath();
}

void PrepareFileDialog(QFileDialog &dialog, const TFileDialogOptions &options)
{
    // The desktop's own dialog would speak the desktop's language and lay out its columns its own way.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setProxyModel(new ProgramLocaleFiles(&dialog));
    if (!options.title.isEmpty())
        dialog.setWindowTitle(options.title);
    if (!options.filter.isEmpty())
        dialog.setNameFilter(options.filter);
    if (!options.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(options.defaultSuffix);
    dialog.setAcceptMode(options.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(options.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);

    const QFileInfo initial(options.initial);
    const bool hasFolder = !options.initial.isEmpty() && (initial.isAbsolute() || options.initial.contains(u'/'));
    if (hasFolder && initial.isDir()) {
        dialog.setDirectory(initial.absoluteFilePath());
    } else {
        dialog.setDirectory(hasFolder && initial.absoluteDir().exists() ? initial.absolutePath() : FileDialogFolder());
        if (!options.initial.isEmpty())
            dialog.selectFile(initial.fileName());
    }
    WidenColumns(dialog);
}

QString RunFileDialog(QWidget *parent, const TFileDialogOptions &options)
{
    QFileDialog dialog(parent);
    PrepareFileDialog(dialog, options);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    RememberFileDialogFolder(chosen);
    return chosen;
}
