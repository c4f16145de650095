#pragma once
// The editor's "Advanced" dialog: a setting's further IP addresses (with their masks) and
// gateways (with their metrics) in two lists, each with Add, Edit and Remove, the first
// gateway's metric, and the DNS suffix and the proxy's further parts. It works on a copy:
// the caller takes Extras() after OK and stores them with the setting; Cancel leaves the
// setting as it was.

#include "editor/ExtrasEditing.h"
#include "support/Forms.h"

#include <array>
#include <functional>
#include <string>

// The small dialog in which one entry is typed: two labelled fields, OK and Cancel. OK asks
// check, which answers why the entry is refused ("" to accept and close).
class TEntryForm : public TForm {
  public:
    using TCheck = std::function<std::string(const std::string& first, const std::string& second)>;

    TEntryForm(const std::string& caption, const std::string& firstLabel,
               const std::string& secondLabel, const std::string& first, const std::string& second,
               TCheck check, HWND owner);

    enum : int { idOKBtn = IDOK, idCancelBtn = IDCANCEL, idFirst = 100, idSecond };

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OKBtnClick();

    TCheck check_;
    HWND first_ = nullptr;
    HWND second_ = nullptr;
};

class TAdvancedForm : public TForm {
  public:
    TAdvancedForm(const TOwnAddress& own, const TSettingExtras& extras, HWND owner);

    const TSettingExtras& Extras() const { return editing_.Extras(); }

    // Control ids, for tests.
    enum : int {
        idOKBtn = IDOK,
        idCancelBtn = IDCANCEL,
        idAddresses = 100,
        idAddAddress,
        idEditAddress,
        idRemoveAddress,
        idGateways = 110,
        idAddGateway,
        idEditGateway,
        idRemoveGateway,
        idGatewayMetric = 120,
        idDnsSuffix = 130,
        idProxyExceptions,
        idProxyScript,
        idProxyAutoDetect,
    };

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi) override;

  private:
    void FormCreate();
    HWND AddList(int top, int height, int id, const char* first, const char* second);
    void AddButtons(int top, int firstId, const std::array<const char*, 3>& captions);
    void FillLists();
    void SizeColumns();
    void AddressClick(int index);
    void GatewayClick(int index);
    void RemoveClick(HWND list, const std::function<void(int)>& remove);
    HWND AddField(const char* caption, int top, int id, const std::string& text, std::size_t limit);
    void OKBtnClick();

    TExtrasEditing editing_;
    HWND addresses_ = nullptr;
    HWND gateways_ = nullptr;
    HWND metric_ = nullptr;
    HWND suffix_ = nullptr;
    HWND exceptions_ = nullptr;
    HWND script_ = nullptr;
    HWND autoDetect_ = nullptr;
};
