#include "ui/stakes/StakeDialog.h"

#include "common/Dialogs.h"
#include "common/Translate.h"
#include "lottery/DrawTexts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

constexpr int kCommentMaxLength = 64;
constexpr int kMaxDraws = 65535;

QSpinBox *DrawNumberEdit(QWidget *parent)
{
    auto *edit = new QSpinBox(parent);
    edit->setObjectName(u"edDrawNumber"_s);
    edit->setRange(1, INT_MAX);
    edit->setToolTip(Tr(u"Номер первого тиража"));
    return edit;
}

QSpinBox *DrawsCountEdit(QWidget *parent)
{
    auto *edit = new QSpinBox(parent);
    edit->setObjectName(u"edDrawsCount"_s);
    edit->setRange(1, kMaxDraws);
    return edit;
}

QLineEdit *CommentEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(u"edComment"_s);
    edit->setMaxLength(kCommentMaxLength);
    return edit;
}

// The series of draws must end at a draw number that exists.
bool SeriesFits(QSpinBox *draw, QSpinBox *draws)
{
    if (static_cast<int64_t>(draw->value()) + draws->value() - 1 <= INT_MAX)
        return true;
    ShowErrorBox(Tr(u"Номер последнего тиража серии превышает 2147483647!"));
    draws->setFocus();
    return false;
}

bool CommentGiven(QLineEdit *comment)
{
    if (!comment->text().trimmed().isEmpty())
        return true;
    ShowErrorBox(Tr(u"Необходимо ввести комментарий!"));
    comment->setFocus();
    return false;
}

} // namespace

TFormStake::TFormStake(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormStake"_s);
    setWindowTitle(Tr(u"Добавление ставки"));
    auto *form = new QFormLayout(clientArea());
    m_draw = DrawNumberEdit(clientArea());
    m_stake = new QLineEdit(clientArea());
    m_stake->setObjectName(u"edStake"_s);
    m_comment = CommentEdit(clientArea());
    m_draws = DrawsCountEdit(clientArea());
    m_sum = new QLineEdit(clientArea());
    m_sum->setObjectName(u"edSum"_s);
    m_sum->setReadOnly(true);
    form->addRow(Tr(u"Номер тиража:"), m_draw);
    form->addRow(Tr(u"Ставка (числа через \",\" или \";\"):"), m_stake);
    form->addRow(Tr(u"Сумма чисел:"), m_sum);
    form->addRow(Tr(u"Комментарий:"), m_comment);
    form->addRow(Tr(u"Количество тиражей:"), m_draws);
    connect(m_stake, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_sum->setText(QString::number(StakeTextSum(text))); });
    m_sum->setText(u"0"_s);
    resize(420, 220);
}

void TFormStake::fill(const TStakeRec &stake, int draws)
{
    m_draw->setValue(std::max(1, stake.drawNumber));
    m_stake->setText(NumSetToText(stake.numbers, u";"));
    m_comment->setText(stake.comment());
    m_draws->setValue(std::clamp(draws, 1, kMaxDraws));
}

void TFormStake::readBack(TStakeRec &stake, int &draws) const
{
    stake.drawNumber = m_draw->value();
    stake.setComment(m_comment->text());
    TNumSet numbers;
    if (ParseStakeNumbers(m_stake->text(), numbers))
        stake.numbers = numbers;
    draws = m_draws->value();
}

bool TFormStake::validate()
{
    TNumSet numbers;
    if (!ParseStakeNumbers(m_stake->text(), numbers)) {
        ShowErrorBox(Tr(u"Введена некорректная комбинация!"));
        m_stake->setFocus();
        return false;
    }
    return CommentGiven(m_comment) && SeriesFits(m_draw, m_draws);
}

TFormMulti::TFormMulti(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormMulti"_s);
    setWindowTitle(Tr(u"Добавление мультиставки"));
    auto *form = new QFormLayout(clientArea());
    m_draw = DrawNumberEdit(clientArea());
    m_comment = CommentEdit(clientArea());
    m_draws = DrawsCountEdit(clientArea());
    form->addRow(Tr(u"Номер тиража:"), m_draw);
    form->addRow(Tr(u"Комментарий:"), m_comment);
    form->addRow(Tr(u"Количество тиражей:"), m_draws);
    resize(380, 160);
}

void TFormMulti::fill(int drawNumber, int draws, const QString &comment)
{
    m_draw->setValue(std::max(1, drawNumber));
    m_draws->setValue(std::clamp(draws, 1, kMaxDraws));
    m_comment->setText(comment);
}

void TFormMulti::readBack(int &drawNumber, int &draws, QString &comment) const
{
    drawNumber = m_draw->value();
    draws = m_draws->value();
    comment = m_comment->text();
}

bool TFormMulti::validate()
{
    return CommentGiven(m_comment) && SeriesFits(m_draw, m_draws);
}

TFormStakeFilter::TFormStakeFilter(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormStakeFilter"_s);
    setWindowTitle(Tr(u"Удаление по условию"));
    auto *layout = new QVBoxLayout(clientArea());
    m_condition = new QComboBox(clientArea());
    m_condition->setObjectName(u"cbCondition"_s);
    m_condition->addItems(
        {Tr(u"Равно [ = ]"), Tr(u"Более [ > ]"), Tr(u"Не менее [ >= ]"), Tr(u"Менее [ < ]"), Tr(u"Не более [ <= ]")});
    m_value = new QSpinBox(clientArea());
    m_value->setObjectName(u"edMatches"_s);
    m_value->setRange(0, kMainCount);
    layout->addWidget(new QLabel(Tr(u"Выберите условие:"), clientArea()));
    layout->addWidget(m_condition);
    layout->addWidget(new QLabel(Tr(u"Количество совпадений"), clientArea()));
    layout->addWidget(m_value);
    resize(300, 160);
}

void TFormStakeFilter::fill(int condition, int value)
{
    m_condition->setCurrentIndex(std::clamp(condition, 0, m_condition->count() - 1));
    m_value->setValue(value);
}

void TFormStakeFilter::readBack(int &condition, int &value) const
{
    condition = m_condition->currentIndex();
    value = m_value->value();
}

bool ShowStakeDialog(QWidget *parent, TStakeRec &stake, int &draws)
{
    TFormStake dialog(parent);
    dialog.fill(stake, draws);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.readBack(stake, draws);
    return true;
}

bool ShowMultiStakeDialog(QWidget *parent, int &drawNumber, int &draws, QString &comment)
{
    TFormMulti dialog(parent);
    dialog.fill(drawNumber, draws, comment);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.readBack(drawNumber, draws, comment);
    return true;
}

bool ShowStakeFilterDialog(QWidget *parent, int &condition, int &value)
{
    TFormStakeFilter dialog(parent);
    dialog.fill(condition, value);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.readBack(condition, value);
    return true;
}
