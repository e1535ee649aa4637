#include "ui/stakes/SystemDialog.h"

#include "common/widgets/FileDialogs.h"

#include "common/RegularFile.h"
#include "common/BusyCursor.h"
#include "common/Cp1251.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/SysUtils.h"
#include "common/TextUtils.h"
#include "common/widgets/Clipboard.h"
#include "common/Translate.h"
#include "online/CatalogueReply.h"
#include "online/SystemListCheck.h"
#include "online/SystemsFolder.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextBlock>

using namespace Qt::StringLiterals;

namespace {

SystemFileDialog g_fileDialog;

QString runFileDialog(QWidget *parent, bool save)
{
    return RunFileDialog(parent, {Tr(u"Текстовые файлы (*.txt);;Все файлы (*)"), {}, save, {}, {}});
}

QString askFileName(QWidget *parent, bool save)
{
    return g_fileDialog ? g_fileDialog(parent, save) : runFileDialog(parent, save);
}

void setReadOnlyLook(QWidget *edit, bool readOnly)
{
    // A read-only field takes the colour of the window it lies on.
    const QPalette standard = QApplication::palette(edit);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, standard.color(readOnly ? QPalette::Window : QPalette::Base));
    edit->setPalette(palette);
}

} // namespace

void SetSystemFileDialog(SystemFileDialog dialog)
{
    g_fileDialog = std::move(dialog);
}

TFormSystem::TFormSystem(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormSystem"_s);
    setWindowTitle(Tr(u"Система"));
    QWidget *area = clientArea();
    auto *grid = new QGridLayout(area);

    m_title = new QLineEdit(area);
    m_title->setObjectName(u"edTitle"_s);
    m_title->setToolTip(Tr(u"Название системы"));
    m_descr = new QPlainTextEdit(area);
    m_descr->setObjectName(u"edDescr"_s);
    m_descr->setToolTip(Tr(u"Описание системы"));
    m_descr->setTabChangesFocus(true);
    m_descr->setMaximumHeight(70);
    m_author = new QLineEdit(area);
    m_author->setObjectName(u"edAuthor"_s);
    m_author->setToolTip(Tr(u"Имя автора системы"));
    m_url = new QLineEdit(area);
    m_url->setObjectName(u"edURL"_s);
    m_url->setToolTip(Tr(u"Адрес страницы с описанием системы"));
    m_urlButton = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QString(), area);
    m_urlButton->setObjectName(u"btnURL"_s);
    m_urlButton->setToolTip(Tr(u"Открыть ссылку в браузере"));

    m_nums = makeNumberEdit(u"edNums"_s);
    m_nums->setToolTip(Tr(u"Количество чисел, для которых составлена система"));
    m_clen = makeNumberEdit(u"edCLen"_s);
    m_clen->setToolTip(Tr(u"Длина комбинации"));
    m_clen->setReadOnly(true);
    setReadOnlyLook(m_clen, true);
    m_olap = makeNumberEdit(u"edOlap"_s);
    m_olap->setToolTip(Tr(u"Размер блока (гарантия) системы"));
    m_created = makeReadOnly(u"edCreated"_s);
    m_created->setToolTip(Tr(u"Дата создания системы"));
    m_lastDownload = makeReadOnly(u"edLastDownload"_s);
    m_lastDownload->setToolTip(Tr(u"Дата последней загрузки системы"));
    m_csize = makeReadOnly(u"edCSize"_s);
    m_csize->setToolTip(Tr(u"Количество комбинаций в системе"));
    m_downloads = makeReadOnly(u"edDownloads"_s);
    m_downloads->setToolTip(Tr(u"Количество загрузок системы"));

    m_combs = new QPlainTextEdit(area);
    m_combs->setObjectName(u"edCombs"_s);
    m_combs->setToolTip(Tr(u"Комбинации системы: шесть номеров позиций в строке"));
    m_combs->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_combs->setContextMenuPolicy(Qt::CustomContextMenu);
    m_combs->installEventFilter(this);

    m_menu = new QMenu(this);
    m_menu->setObjectName(u"pmCombs"_s);
    m_actCopy = m_menu->addAction(Tr(u"Копировать в буфер обмена"), this, &TFormSystem::copyList);
    m_actPaste = m_menu->addAction(Tr(u"Вставить из буфера обмена"), this, &TFormSystem::pasteList);
    m_actSelectAll = m_menu->addAction(Tr(u"Выделить все"), m_combs, &QPlainTextEdit::selectAll);
    m_menu->addSeparator();
    m_actLoad = m_menu->addAction(Tr(u"Загрузить из файла"), this, &TFormSystem::loadList);
    m_actSave = m_menu->addAction(Tr(u"Сохранить в файле"), this, &TFormSystem::saveList);
    connect(m_combs, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        updateMenu();
        m_menu->exec(m_combs->mapToGlobal(pos));
    });

    auto label = [area](const QString &text) { return new QLabel(text, area); };
    // A row of fields after one caption: each further field with its own caption.
    auto row = [&label](QWidget *first, std::initializer_list<std::pair<QString, QWidget *>> more) {
        auto *box = new QHBoxLayout;
        box->addWidget(first);
        for (const auto &[caption, field] : more) {
            box->addSpacing(10);
            box->addWidget(label(caption));
            box->addWidget(field);
        }
        box->addStretch(1);
        return box;
    };
    for (QLineEdit *edit : {m_nums, m_clen, m_olap, m_downloads})
        edit->setFixedWidth(50);
    m_csize->setFixedWidth(80);
    for (QLineEdit *edit : {m_created, m_lastDownload})
        edit->setFixedWidth(150);
    grid->addWidget(label(Tr(u"Наименование:")), 0, 0);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(label(Tr(u"Описание:")), 1, 0, Qt::AlignTop);
    grid->addWidget(m_descr, 1, 1);
    grid->addWidget(label(Tr(u"Автор:")), 2, 0);
    grid->addWidget(m_author, 2, 1);
    grid->addWidget(label(Tr(u"Ссылка:")), 3, 0);
    auto *urlRow = new QHBoxLayout;
    urlRow->addWidget(m_url, 1);
    urlRow->addWidget(m_urlButton);
    grid->addLayout(urlRow, 3, 1);
    grid->addWidget(label(Tr(u"Числа:")), 4, 0);
    grid->addLayout(row(m_nums, {{Tr(u"Длина:"), m_clen}, {Tr(u"Блок:"), m_olap}, {Tr(u"Комбинаций:"), m_csize}}), 4, 1);
    grid->addWidget(label(Tr(u"Создана:")), 5, 0);
    grid->addLayout(row(m_created, {{Tr(u"Последняя:"), m_lastDownload}, {Tr(u"Загрузок:"), m_downloads}}), 5, 1);
    grid->addWidget(label(Tr(u"Список комбинаций:")), 6, 0, 1, 2);
    grid->addWidget(m_combs, 7, 0, 1, 2);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);

    connect(m_url, &QLineEdit::textChanged, this, &TFormSystem::updateLinkButton);
    connect(m_combs, &QPlainTextEdit::textChanged, this, &TFormSystem::followList);
    connect(m_urlButton, &QPushButton::clicked, this, &TFormSystem::openLink);
    m_clen->setText(QString::number(kSystemCombLength));
    updateLinkButton();
    resize(620, 560);
}

QLineEdit *TFormSystem::makeNumberEdit(const QString &name)
{
    auto *edit = new QLineEdit(clientArea());
    edit->setObjectName(name);
    edit->setMaxLength(3);
    edit->installEventFilter(this);
    return edit;
}

QLineEdit *TFormSystem::makeReadOnly(const QString &name)
{
    auto *edit = new QLineEdit(clientArea());
    edit->setObjectName(name);
    edit->setReadOnly(true);
    setReadOnlyLook(edit, true);
    return edit;
}

void TFormSystem::fill(const tSystemData &system, bool editable)
{
    m_editable = editable;
    m_id = system.id;
    m_mail = system.cl_mail;
    m_createdTime = system.created;
    m_lastDownloadTime = system.last_download;
    m_title->setText(system.title);
    m_nums->setText(QString::number(system.nums));
    m_olap->setText(QString::number(system.olap));
    m_csize->setText(QString::number(system.csize));
    m_descr->setPlainText(system.descr);
    m_author->setText(system.author);
    m_url->setText(system.url);
    m_created->setText(CatalogueTimeText(system.created));
    m_lastDownload->setText(CatalogueTimeText(system.last_download));
    m_downloads->setText(QString::number(system.downloads));
    {
        // The record's own counts are shown, whatever its lines say.
        const QSignalBlocker block(m_combs);
        m_combs->setPlainText(SplitSystemLines(system.clist).join(u'\n'));
    }

    const bool readOnly = !editable;
    for (QLineEdit *edit : {m_title, m_nums, m_olap, m_author, m_url}) {
        edit->setReadOnly(readOnly);
        setReadOnlyLook(edit, readOnly);
    }
    for (QPlainTextEdit *edit : {m_descr, m_combs}) {
        edit->setReadOnly(readOnly);
        setReadOnlyLook(edit, readOnly);
    }
    if (readOnly) {
        QTextCursor cursor = m_combs->textCursor();
        cursor.clearSelection();
        m_combs->setTextCursor(cursor);
        okButton()->hide();
        cancelButton()->setDefault(true);
        cancelButton()->setFocus();
    } else {
        okButton()->show();
        m_title->setFocus();
    }
    updateLinkButton();
}

void TFormSystem::readBack(tSystemData &system) const
{
    system.id = m_id;
    system.cl_mail = m_mail;
    system.nums = static_cast<uint8_t>(std::clamp(TextToIntZero(m_nums->text()), 0, 255));
    system.olap = static_cast<uint8_t>(std::clamp(TextToIntZero(m_olap->text()), 0, 255));
    system.csize = TextToIntZero(m_csize->text());
    system.title = m_title->text();
    system.author = m_author->text();
    system.descr = m_descr->toPlainText();
    system.url = m_url->text();
    // The times are shown, not edited: they go back as they came (a new system is made now).
    system.created = m_createdTime != 0 ? m_createdTime : CatalogueNowUtc();
    system.downloads = TextToIntZero(m_downloads->text());
    system.last_download = m_lastDownloadTime;
    // The lines travel with CR LF between them.
    system.clist = m_combs->toPlainText().replace(u'\n', u"\r\n"_s);
}

void TFormSystem::followList()
{
    if (m_combs->isReadOnly())
        return;
    // The counts follow the lines as they are typed or pasted, as long as they can be read.
    const TSystemListCheck check = CheckSystemList(m_combs->toPlainText());
    if (!check.ok())
        return;
    m_nums->setText(QString::number(check.nums));
    m_csize->setText(QString::number(check.csize));
}

bool TFormSystem::checkList()
{
    return checkLines(true);
}

bool TFormSystem::checkLines(bool setCount)
{
    if (m_combs->isReadOnly())
        return true;
    BusySection busy;
    const TSystemListCheck check = CheckSystemList(m_combs->toPlainText());
    if (!check.ok()) {
        ShowErrorBox(check.error);
        m_combs->setFocus();
        const QTextBlock block = m_combs->document()->findBlockByNumber(check.errorLine);
        if (block.isValid()) {
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            m_combs->setTextCursor(cursor);
        }
        return false;
    }
    const QString text = check.lines.join(u'\n');
    if (text != m_combs->toPlainText()) {
        const QSignalBlocker block(m_combs);
        m_combs->setPlainText(text);
    }
    m_listNums = check.nums;
    if (setCount)
        m_nums->setText(QString::number(check.nums));
    m_csize->setText(QString::number(check.csize));
    return true;
}

bool TFormSystem::refuse(const QString &message, QWidget *field)
{
    ShowErrorBox(message);
    field->setFocus();
    return false;
}

bool TFormSystem::validate()
{
    // The lines are checked as they are now, also after a paste or a load; the count of numbers is
    // compared with theirs, never silently put over what was typed.
    if (!checkLines(false))
        return false;
    if (m_title->text().trimmed().isEmpty())
        return refuse(Tr(u"Название системы должно быть указано обязательно!"), m_title);
    // An empty list has no count to check: it is the list that is missing.
    if (m_combs->toPlainText().trimmed().isEmpty())
        return refuse(Tr(u"Содержимое системы должно быть указано обязательно!"), m_combs);
    bool ok = false;
    const int nums = m_nums->text().trimmed().toInt(&ok);
    if (!ok || nums != m_listNums)
        return refuse(Format(Tr(u"Указанное количество чисел (%s) не совпадает со списком комбинаций, в котором "
                                u"используется %d чисел!"),
                             {m_nums->text().trimmed(), m_listNums}),
                      m_nums);
    if (nums < 7 || nums > 45)
        return refuse(Tr(u"Указано недопустмое количество используемых чисел!"), m_nums);
    const int olap = m_olap->text().trimmed().toInt(&ok);
    if (!ok || olap < 0 || olap > 5)
        return refuse(Tr(u"Указан недопустмый размер блока!"), m_olap);
    if (m_author->text().trimmed().isEmpty())
        return refuse(Tr(u"Имя автора должно быть указано обязательно!"), m_author);
    if (m_descr->toPlainText().trimmed().isEmpty())
        return refuse(Tr(u"Описание системы должно быть указано обязательно!"), m_descr);
    if (m_combs->toPlainText().trimmed().isEmpty())
        return refuse(Tr(u"Содержимое системы должно быть указано обязательно!"), m_combs);
    return true;
}

bool TFormSystem::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_combs && event->type() == QEvent::FocusOut && !m_combs->isReadOnly()) {
        // A refused list keeps the focus, so the user sees the line named.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            checkList();
    }
    if (event->type() == QEvent::KeyPress && (watched == m_nums || watched == m_clen || watched == m_olap)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        const bool printable = !text.isEmpty() && text.at(0).isPrint();
        if (printable && !(text.size() == 1 && text.at(0).isDigit())) {
            QApplication::beep();
            return true;
        }
    }
    return TDialogSTemplate::eventFilter(watched, event);
}

void TFormSystem::showEvent(QShowEvent *event)
{
    TDialogSTemplate::showEvent(event);
    updateLinkButton();
    SetStatusText({});
}

void TFormSystem::updateLinkButton()
{
    m_urlButton->setEnabled(!m_url->text().trimmed().isEmpty());
}

void TFormSystem::openLink()
{
    const QString address = m_url->text().trimmed();
    if (address.isEmpty())
        return;
    try {
        OpenUrl(address);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
}

void TFormSystem::updateMenu()
{
    const bool hasText = !m_combs->toPlainText().isEmpty();
    const bool editable = !m_combs->isReadOnly();
    m_actCopy->setEnabled(hasText);
    m_actPaste->setEnabled(editable && !GetClipboardUnicodeText().isEmpty());
    m_actSelectAll->setEnabled(hasText);
    m_actLoad->setEnabled(editable);
    m_actSave->setEnabled(hasText);
}

void TFormSystem::copyList()
{
    const QString selected = m_combs->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
    SetClipboardUnicodeText(selected.isEmpty() ? m_combs->toPlainText() : selected);
}

void TFormSystem::pasteList()
{
    if (m_combs->isReadOnly())
        return;
    const QString text = GetClipboardUnicodeText();
    if (!text.isEmpty())
        m_combs->insertPlainText(text);
}

void TFormSystem::loadList()
{
    if (m_combs->isReadOnly())
        return;
    const QString fileName = askFileName(this, false);
    if (fileName.isEmpty())
        return;
    QByteArray bytes;
    try {
        bytes = ReadRegularFile(fileName, FileBounds::kText);
    } catch (const EFileReadError &e) {
        ShowErrorBox(e.message());
        return;
    }
    m_combs->setPlainText(SplitSystemLines(DecodeTextFile(bytes)).join(u'\n'));
    checkList();
}

void TFormSystem::saveList()
{
    const QString fileName = askFileName(this, true);
    if (fileName.isEmpty())
        return;
    try {
        WriteChosenFile(fileName, EncodeTextFileCp1251(m_combs->toPlainText()));
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
}

bool ShowSystemDialog(QWidget *parent, tSystemData &system, bool editable)
{
    TFormSystem dialog(parent);
    dialog.fill(system, editable);
    SetStatusText({});
    if (ExecDialog(dialog) != QDialog::Accepted || !editable)
        return false;
    dialog.readBack(system);
    return true;
}
