#include "ui/combinations/GenCombsDialog.h"

#include "common/widgets/FileDialogs.h"

#include "common/Dialogs.h"
#include "common/Translate.h"
#include "app/combinations/CombsList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

CombsFileDialog g_fileDialog;

QString runFileDialog(QWidget *parent, bool save, const QString &initial)
{
    return RunFileDialog(parent, {Tr(u"Файлы комбинаций (*.lcv)"), u"lcv"_s, save, initial, {}});
}

} // namespace

void SetCombsFileDialog(CombsFileDialog dialog)
{
    g_fileDialog = std::move(dialog);
}

QString AskCombsFileName(QWidget *parent, bool save, const QString &initial)
{
    return g_fileDialog ? g_fileDialog(parent, save, initial) : runFileDialog(parent, save, initial);
}

TFormGenCombs::TFormGenCombs(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormGenCombs"_s);
    setWindowTitle(Tr(u"Создание нового списка комбинаций"));

    auto *modeLabel = new QLabel(Tr(u"Режим генерации списка комбинаций:"), clientArea());
    m_cbMode = new QComboBox(clientArea());
    m_cbMode->setObjectName(u"cbGenerateMode"_s);
    for (int mode = 0; mode < kGenerateModeCount; ++mode)
        m_cbMode->addItem(GenerateModeCaption(mode));
    modeLabel->setBuddy(m_cbMode);

    auto *parametersLabel = new QLabel(Tr(u"Мои числа или имя файла для загрузки:"), clientArea());
    m_edParameters = new QLineEdit(clientArea());
    m_edParameters->setObjectName(u"edGenerateParameters"_s);
    m_edParameters->setMaxLength(kMaxGenerateParametersLength);
    parametersLabel->setBuddy(m_edParameters);
    m_btnFile = new QPushButton(u"..."_s, clientArea());
    m_btnFile->setObjectName(u"btnGenerateFile"_s);
    m_btnFile->setFixedWidth(30);

    m_cbSaveDefault =
        new QCheckBox(Tr(u"Сохранить эти параметры для генерации комбинаций \"по умолчанию\""), clientArea());
    m_cbSaveDefault->setObjectName(u"cbSaveDefault"_s);
    m_cbSaveDefault->setChecked(true);

    auto *parameters = new QHBoxLayout;
    parameters->addWidget(m_edParameters, 1);
    parameters->addWidget(m_btnFile);
    auto *layout = new QVBoxLayout(clientArea());
    layout->addWidget(modeLabel);
    layout->addWidget(m_cbMode);
    layout->addSpacing(6);
    layout->addWidget(parametersLabel);
    layout->addLayout(parameters);
    layout->addSpacing(6);
    layout->addWidget(m_cbSaveDefault);
    layout->addStretch(1);
    resize(480, 230);

    connect(m_cbMode, &QComboBox::currentIndexChanged, this, &TFormGenCombs::updateControls);
    connect(m_btnFile, &QPushButton::clicked, this, &TFormGenCombs::browse);
    updateControls();
}

void TFormGenCombs::fill(const TGenCombsRecord &record)
{
    m_cbMode->setCurrentIndex(NormalizeGenerateMode(record.settings.Mode));
    m_edParameters->setText(record.settings.Parameters);
    m_cbSaveDefault->setChecked(record.saveAsDefault);
    updateControls();
}

void TFormGenCombs::readBack(TGenCombsRecord &record) const
{
    record.settings.Mode = uint8_t(NormalizeGenerateMode(m_cbMode->currentIndex()));
    record.settings.Parameters = m_edParameters->text().left(kMaxGenerateParametersLength);
    record.saveAsDefault = m_cbSaveDefault->isChecked();
}

bool TFormGenCombs::validate()
{
    if (m_cbMode->currentIndex() == gmFromFile && m_edParameters->text().trimmed().isEmpty()) {
        ShowErrorBox(Tr(u"Укажите имя файла со списком комбинаций!"));
        m_edParameters->setFocus();
        return false;
    }
    return true;
}

void TFormGenCombs::browse()
{
    const QString name = AskCombsFileName(this, false, m_edParameters->text());
    if (!name.isEmpty())
        m_edParameters->setText(name);
}

void TFormGenCombs::updateControls()
{
    const int mode = m_cbMode->currentIndex();
    m_edParameters->setEnabled(mode != gmAll);
    m_btnFile->setEnabled(mode == gmFromFile);
}

bool ShowGenCombsDialog(TGenerateSettings &settings, bool &saveAsDefault, QWidget *parent)
{
    TGenCombsRecord record{settings, saveAsDefault};
    if (!EditInDialog<TFormGenCombs>(record, parent))
        return false;
    settings = record.settings;
    saveAsDefault = record.saveAsDefault;
    return true;
}
