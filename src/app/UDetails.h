#pragma once
// The adapter details: what Windows uses now for one adapter, as property/value rows in
// the manner of Windows' "Network Connection Details", read only, with the switch log a
// click away.

#include "netcfg/LiveState.h"
#include "support/Forms.h"

#include <string>
#include <vector>

class TDetailsForm : public TForm {
  public:
    // logPath: the switch log "Open log" opens.
    TDetailsForm(const std::vector<TFactRow>& rows, std::string logPath, HWND owner);

    // Control ids, for tests.
    enum : int { idCaption = 101, idList, idCopy, idOpenLog, idClose = IDCANCEL };

    // The rows as the clipboard gets them: "Name: value" lines, each ended by CR LF.
    std::string RowsText() const;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi) override;

  private:
    void FillList();
    void SizeColumns();
    void CopyClick();
    void OpenLogClick();

    std::vector<TFactRow> rows_;
    std::string logPath_;
    HWND List = nullptr;
};
