#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "online/ScriptInfo.h"

#include <functional>

class TQSortListView;

// Fetches the marks of a scenario, handing each to the callback; false when the catalogue could not
// give them (the fetch reports its own failure).
using ScriptRatesFetch = std::function<bool(int scriptId, const std::function<void(const TScriptRate &)> &add)>;

// "Оценки пользователей": the marks that users gave a catalogue scenario. The list keeps its column
// layout in the settings store.
class TFormScrRates : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormScrRates(QWidget *parent = nullptr);
    ~TFormScrRates() override;

    TQSortListView *ratesList() const { return m_lvRates; }
    void addRate(const TScriptRate &rate);

    static QString section();

private:
    TQSortListView *m_lvRates;
};

// Fills the dialog with the marks of the scenario and shows it; nothing is shown when the marks
// could not be fetched. False when nothing was shown.
bool ShowScrRatesDialog(int scriptId, QWidget *parent, const ScriptRatesFetch &fetch);
