#pragma once
// The adapter details: what Windows uses now for one adapter, as property/value rows in
// the manner of Windows' "Network Connection Details", read only, with the switch log a
// click away.

#include "netcfg/LiveState.h"
#include "support/Forms.h"
#include "support/WorkerThread.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDetailsForm : public TForm {
  public:
    // The connection check's lines, run when the user asks for it and only then, on a
    // thread of its own: it waits for answers, and the window keeps answering meanwhile.
    using TConnectionTest = std::function<std::vector<std::string>()>;
    // logPath: the switch log "Open log" opens; test: what "Test the connection" runs.
    TDetailsForm(const std::vector<TFactRow>& rows, std::string logPath, HWND owner,
                 TConnectionTest test = {});
    // Waits for a check still running: it may use what the caller lent the test.
    ~TDetailsForm() override;

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
    void TestDone();

    // Posted by the check's thread when its lines are in.
    static constexpr UINT WM_TEST_DONE = WM_APP + 40;

    std::vector<TFactRow> rows_;
    std::string logPath_;
    TConnectionTest test_;
    std::vector<std::string> testLines_;
    std::unique_ptr<TWorkerThread> testing_;
    HWND List = nullptr;
    HWND TestButton = nullptr;
};
