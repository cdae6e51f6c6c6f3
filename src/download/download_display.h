#pragma once
// Download File, Cancel and the progress timer of the main window: a download of the
// selected file from the click to the opened file, with one silent retry on the
// secondary file server. Acts on the window through its control ids only.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/session.h"
#include "download/download_job.h"
#include "download/file_id.h"
#include "download/file_names.h"
#include "platform/deployment.h"
#include "platform/ports.h"
#include "ui/dialog_view.h"
#include "ui/message_box.h"

namespace qk::download {

inline constexpr int kProgressTimerMs = 500;

inline constexpr std::string_view kPostProcessWarning =
    "You are about to start the download but there was a potential error during "
    "communications to the server.If you have problems running your application, please "
    "contact support.\r\n\r\nThe download will now continue as normal...";
inline constexpr std::string_view kFileExistsQuestion =
    "The selected file already exists. Do you wish to delete the existing file and "
    "re-download?";
inline constexpr std::string_view kInitialisationError =
    "There was an error initializing the download. Please try again shortly or contact "
    "support if you keep getting this error.";
inline constexpr std::string_view kStartError =
    "Error downloading file. Please contact support if you keep getting this message.";
inline constexpr std::string_view kDownloadError =
    "Error downloading file. Please try again soon or contact support if you keep getting "
    "this error.";

// The file the customer asked for, taken when Download File is pressed. The retry, the
// record and the opened file all refer to it, whatever the window shows meanwhile.
struct DownloadSubject {
    std::string productName;
    std::string productId;
    std::string fileName;
    std::string version;
    std::string sizeText;         // as the panel shows it
    std::uint64_t byteCount = 0;  // the order's exact size; 0 when unknown
    bool multiFile = false;
    int fileIndex = 0;            // multi-file product: the file's place in its list, from 0
    std::vector<FileListEntry> fileList;  // multi-file product: every file it offers
    std::string postProcessFlag;  // "1": the store runs post-processing first
    std::string orderNumber;
    std::string postProcessData;
};

// How a download on screen ended, for a caller that fetches several files in a row.
enum class DownloadEnd { Completed, Failed, Canceled };

// The display's state for the whole run.
struct DownloadDisplay {
    // 0 for a download the customer started; 1 while the retry from the secondary file
    // server runs; 2 after that failed too.
    int retryStage = 0;
    bool completionSeen = false;   // "Completed" handled; the next tick finishes
    bool active = false;           // a download is on screen, from the click to its end
    bool cancelRequested = false;  // Cancel was pressed for the download on screen
    std::string fileIdReply;       // kept between the first attempt and the retry
    DownloadSubject subject;
    std::string folder;            // the download folder of the subject
    // Set while a queue of files is fetched (library updates): the queue's question has
    // replaced "File Already Exists", the old copy stays until the new one replaces it,
    // nothing is opened and no failure is shown one by one; each end is handed here
    // instead, after the window is back to idle.
    std::function<void(DownloadEnd)> queueEnded;
};

// The window and the services the display works through.
struct DownloadWindow {
    ui::DialogView& view;
    DownloadJob& job;
    const Deployment& deployment;
    Session& session;
    std::string downloadBase;
    std::string vendorId;
    ui::MessageBoxFunction messageBox;
    platform::Shell& shell;
    // The store's post-purchase processing for the subject; 1 when it confirmed.
    std::function<int(const DownloadSubject&)> postProcess;
    LoginPrompt promptLogin;
    // Refreshes the file status panel of the product on screen.
    std::function<void()> showFileStatus;
    // The moment a record is written; the system clock when empty.
    std::function<std::time_t()> now;
};

// Download File: the customer's own request for `subject`. Does nothing while a
// download is on screen.
void startFileDownload(DownloadDisplay& display, DownloadWindow& window, DownloadSubject subject);

// The steps of a start, for the customer's request (retry stage 0) and for the retry.
void beginFileDownload(DownloadDisplay& display, DownloadWindow& window);

// One tick of the progress timer.
void onProgressTimer(DownloadDisplay& display, DownloadWindow& window);

// Cancel: asks the worker to stop; the ticks that follow clean up.
void cancelFileDownload(DownloadDisplay& display, DownloadJob& job);

// The leading integer of a percent text ("42,12345678" and "42.5" give 42; 0 if none).
int leadingInteger(std::string_view text);

}  // namespace qk::download
