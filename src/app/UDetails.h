#pragma once
// The adapter details: what Windows uses now for one adapter, as property/value rows in
// the manner of Windows' "Network Connection Details", read only, with the switch log a
// click away.

#include "netcfg/LiveState.h"
#include "support/Forms.h"

#include <functional>
#include <string>
#include <vector>

class TDetailsForm : public TForm {
  public:
    // The connection check's lines, run when the user asks for it and only then.
    using TConnectionTest = std::function<std::vector<std::string>()>;
    // logPath: the switch log "Open log" opens; test: what "Test the connection" runs.
    TDetailsForm(const std::vector<TFactRow>& rows, std::string logPath, HWND owner,
                 TConnectionTest test = {});

    // Control ids, for tests.
    enum : int { idCaption = 101, idList, idCopy, idOpenLog, idTest, idClose = IDCANCEL };

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
    void TestClick();

    std::vector<TFactRow> rows_;
    std::string logPath_;
    TConnectionTest test_;
    HWND List = nullptr;
};
