#include "ui/stakes/TableDialog.h"

#include "common/Dialogs.h"
#include "common/Translate.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TFormTable::TFormTable(QWidget *parent, QStringList existingNames, int selectedCount)
    : TDialogSTemplate(parent), m_names(std::move(existingNames)), m_selectedCount(selectedCount)
{
    setObjectName(u"FormTable"_s);
    setWindowTitle(Tr(u"Добавление регулярной ставки"));

    m_comment = new QLineEdit(clientArea());
    m_comment->setObjectName(u"edComment"_s);
    m_comment->setMaxLength(kTableCommentMax);
    m_fixedStart = new QRadioButton(Tr(u"Использовать постоянную стартовую комбинацию:"), clientArea());
    m_fixedStart->setObjectName(u"rbFixedStart"_s);
    m_start = new QLineEdit(clientArea());
    m_start->setObjectName(u"edStartComb"_s);
    m_start->setToolTip(Tr(u"Шесть чисел через \",\" или \";\""));
    m_latestDraw = new QRadioButton(Tr(u"Использовать данные предыдущего тиража"), clientArea());
    m_latestDraw->setObjectName(u"rbLatestDraw"_s);
    m_step = new QSpinBox(clientArea());
    m_step->setObjectName(u"edStep"_s);
    m_step->setRange(-kTableStepMax, kTableStepMax);
    m_step->setValue(1);
    m_fixedStart->setChecked(true);

    auto *layout = new QVBoxLayout(clientArea());
    auto *top = new QFormLayout;
    top->addRow(Tr(u"Комментарий:"), m_comment);
    layout->addLayout(top);
    layout->addWidget(m_fixedStart);
    layout->addWidget(m_start);
    layout->addWidget(m_latestDraw);
    auto *bottom = new QFormLayout;
    bottom->addRow(Tr(u"Шаг:"), m_step);
    layout->addLayout(bottom);

    connect(m_fixedStart, &QRadioButton::toggled, this, [this] { updateStartEdit(); });
    updateStartEdit();
    resize(420, 220);
}

QString TFormTable::selectedCombsText()
{
    return Tr(u"{...Выделенные комбинации...}");
}

int TFormTable::mode() const
{
    return m_latestDraw->isChecked() ? tmLatestDraw : tmFixedStart;
}

void TFormTable::updateStartEdit()
{
    m_start->setEnabled(TableStartTyped(mode(), m_selectedCount));
}

void TFormTable::fill(const TTableRec &table)
{
    m_comment->setText(table.name);
    m_step->setValue(std::clamp(table.step, -kTableStepMax, kTableStepMax));
    if (m_selectedCount == 1)
        m_start->setText(TableCombText(table.start));
    else if (m_selectedCount > 1)
        m_start->setText(selectedCombsText());
    else
        m_start->clear();
    (table.mode == tmLatestDraw ? m_latestDraw : m_fixedStart)->setChecked(true);
    updateStartEdit();
}

void TFormTable::readBack(TTableRec &table) const
{
    table.name = m_comment->text();
    table.mode = static_cast<uint8_t>(mode());
    table.step = m_step->value();
    TComb start;
    if (TableStartTyped(table.mode, m_selectedCount) && ReadTableStart(m_start->text(), start))
        table.start = start;
}

bool TFormTable::validate()
{
    TComb start;
    switch (CheckTableInput(m_comment->text(), mode(), m_start->text(), m_selectedCount, m_names, start)) {
    case TTableInputCheck::Ok:
        return true;
    case TTableInputCheck::BadCombination:
        ShowErrorBox(Tr(u"Введена некорректная комбинация!"));
        m_start->setFocus();
        return false;
    case TTableInputCheck::NoComment:
        ShowErrorBox(Tr(u"Необходимо ввести комментарий!"));
        m_comment->setFocus();
        return false;
    case TTableInputCheck::DuplicateName:
        ShowErrorBox(Tr(u"Запись с таким комментарией уже присутствует в списке!\rВыберите другой комментарий."));
        m_comment->setFocus();
        return false;
    }
    return false;
}

bool ShowTableDialog(QWidget *parent, const QStringList &existingNames, int selectedCount, TTableRec &table)
{
    TFormTable dialog(parent, existingNames, selectedCount);
    dialog.fill(table);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.readBack(table);
    return true;
}
