#pragma once
// The editor's "Use automatically when" dialog: the conditions under which the setting is used
// by itself, as a list with Add, Edit and Remove, and "From this network", which fills it from
// what the setting's adapter reports now. It works on a copy: the caller takes Conditions()
// after OK.

#include "netcfg/UseWhen.h"
#include "support/Forms.h"

#include <functional>
#include <string>
#include <vector>

class TUseWhenForm : public TForm {
  public:
    // What the adapter's network looks like now; null when there is no adapter to ask.
    using TNetworkSource = std::function<TNetworkFacts()>;

    TUseWhenForm(const std::string& conditions, TNetworkSource network, HWND owner);

    // The list in its written form ("gateway=10.1.0.1;ssid=Plant"), "" for none; a stored
    // text the reader refuses comes back as it was unless the list was changed.
    std::string Conditions() const { return changed_ ? FormatConditions(conditions_) : original_; }

    // Control ids, for tests.
    enum : int {
        idOKBtn = IDOK,
        idCancelBtn = IDCANCEL,
        idList = 100,
        idAdd,
        idEdit,
        idRemove,
        idFromNetwork,
    };

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi) override;

  private:
    void FillList(int selected);
    void SizeColumns();
    void EntryClick(int index);
    void RemoveClick();
    void FromNetworkClick();

    std::string original_;
    bool changed_ = false;
    std::vector<TCondition> conditions_;
    TNetworkSource network_;
    HWND list_ = nullptr;
};
