#include "download/download_display.h"

#include <filesystem>
#include <system_error>

#include "download/download_folder.h"
#include "download/download_record.h"
#include "download/no_follow_file.h"
#include "download/progress_text.h"
#include "platform/byte_size_text.h"
#include "store/reply.h"
#include "ui/resources/main_window.h"

namespace qk::download {

namespace ids = ui::resources;

namespace {

int message(DownloadWindow& window, std::string_view text, const char* caption, unsigned flags)
{
    if (!window.messageBox)
        return ui::kIdOk;
    return window.messageBox(nullptr, &window.view, std::string(text), caption, flags);
}

std::string targetPath(const DownloadDisplay& display)
{
    return joinDownloadPath(display.folder, display.subject.fileName);
}

// Leading decimal digits of a text (the size text "5.00 MB" gives 5).
std::uint64_t leadingCount(std::string_view text)
{
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || value > (UINT64_MAX - 9) / 10)
            break;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// Back to the idle window after a download ended without the final step: the list,
// the file box and Download File usable again, Cancel off.
void showIdleControls(DownloadDisplay& display, DownloadWindow& window)
{
    display.active = false;
    display.cancelRequested = false;
    window.view.setEnabled(ids::kProductList, true);
    window.view.setEnabled(ids::kFileBox, true);
    window.view.setEnabled(ids::kDownloadFile, true);
    window.view.setEnabled(ids::kCancelDownload, false);
    if (window.showFileStatus)
        window.showFileStatus();
}

void showFileBeingFetched(DownloadWindow& window, const DownloadSubject& subject)
{
    const int panel = subject.multiFile ? ids::kFileStatusWithBox : ids::kFileStatus;
    std::string text = subject.multiFile ? std::string() : "File: ";
    text += subject.fileName + "\r\nFile Size: " + subject.sizeText;
    window.view.setText(panel, text);
    window.view.setVisible(ids::kFileStatusWithBox, subject.multiFile);
    window.view.setVisible(ids::kFileStatus, !subject.multiFile);
}

void showDownloadMode(DownloadWindow& window)
{
    ui::DialogView& view = window.view;
    view.setEnabled(ids::kDownloadProgress, true);
    view.progressSetRange(ids::kDownloadProgress, 0, 100);
    view.progressSetValue(ids::kDownloadProgress, 0);
    view.setEnabled(ids::kCancelDownload, true);
    view.setEnabled(ids::kDownloadFile, false);
    view.setEnabled(ids::kOpenDownloadedFile, false);
}

void reportQueuedEnd(DownloadDisplay& display, DownloadEnd end)
{
    if (display.queueEnded)
        display.queueEnded(end);
}

// A failure message of the customer's own download; a queue names its failures at the end.
void reportFailure(DownloadDisplay& display, DownloadWindow& window, std::string_view text,
                   const char* caption)
{
    if (!display.queueEnded)
        message(window, text, caption, ui::mb::kIconExclamation);
}

// A start that failed after its message. The window must not stay in download mode
// with nothing running: that is the case in a retry, and once the controls were set.
void abandonStart(DownloadDisplay& display, DownloadWindow& window, bool controlsSet)
{
    if (display.retryStage != 0 || controlsSet) {
        window.view.stopTimer(ids::kProgressTimer);
        showIdleControls(display, window);
    }
    reportQueuedEnd(display, DownloadEnd::Failed);
}

void showProgress(const DownloadDisplay& display, DownloadWindow& window, const FieldList& fields)
{
    const int percent = leadingInteger(fields[0]);
    window.view.progressSetValue(ids::kDownloadProgress, percent);
    const std::uint64_t total = leadingCount(fields[1]);
    const auto done = static_cast<std::uint64_t>(static_cast<double>(total) * percent / 100.0);
    window.view.setText(ids::kProgressText,
                        "Remaining: " + fields[3] + " (" + platform::formatByteSize(done) +
                            " of " + display.subject.sizeText + ") " + fields[2]);
}

void finishCompleted(DownloadDisplay& display, DownloadWindow& window)
{
    ui::DialogView& view = window.view;
    display.completionSeen = false;
    view.stopTimer(ids::kProgressTimer);
    view.progressSetValue(ids::kDownloadProgress, 0);
    view.setEnabled(ids::kDownloadFile, false);
    view.setEnabled(ids::kCancelDownload, false);
    view.setEnabled(ids::kOpenFileFolder, true);
    view.setEnabled(ids::kDownloadProgress, false);
    view.setEnabled(ids::kFileBox, true);
    display.active = false;
    display.cancelRequested = false;
    if (window.showFileStatus)
        window.showFileStatus();
    view.setEnabled(ids::kProductList, true);
    if (display.queueEnded) {
        reportQueuedEnd(display, DownloadEnd::Completed);
        return;
    }
    window.shell.open(targetPath(display));
}

// The partial file this download wrote and what identifies it; never a link's target,
// and never a copy of the file the download has not yet replaced.
void deletePartialFile(const DownloadDisplay& display)
{
    const std::string target = targetPath(display);
    removeFileOrLink(target + std::string(kPartSuffix), true);
    removeFileOrLink(target + std::string(kPartIdentitySuffix), true);
}

void finishCanceled(DownloadDisplay& display, DownloadWindow& window)
{
    ui::DialogView& view = window.view;
    view.stopTimer(ids::kProgressTimer);
    view.setText(ids::kProgressText, "Download Canceled");
    view.progressSetValue(ids::kDownloadProgress, 0);
    view.setEnabled(ids::kOpenFileFolder, false);
    deletePartialFile(display);
    showIdleControls(display, window);
    reportQueuedEnd(display, DownloadEnd::Canceled);
}

void showCompletion(DownloadDisplay& display, DownloadWindow& window)
{
    window.view.progressSetValue(ids::kDownloadProgress, 100);
    window.view.setText(ids::kProgressText, "Download Completed");
    // The worker wrote the record with the file, before it published "Completed".
    display.completionSeen = true;
    display.retryStage = 0;
}

void failDownload(DownloadDisplay& display, DownloadWindow& window)
{
    // A failure on this side (a full disk) would fail the same way on the secondary.
    const std::string cause = readFailureCause(window.job);
    if (display.retryStage == 0 && cause.empty()) {
        // The first attempt failed: once more from the secondary server, without asking.
        // Its figures start over: the primary's speed and time left no longer hold.
        display.retryStage = 1;
        window.view.setText(ids::kProgressText, "Download Progress");
        beginFileDownload(display, window);
        return;
    }
    if (display.retryStage == 1)
        display.retryStage = 2;
    // What came stays as the partial file, never shown as downloaded: the customer's
    // next Download File continues it.
    reportFailure(display, window, cause.empty() ? std::string(kDownloadError) : std::string(kDownloadError) + " " + cause,
                  "Error");
    showIdleControls(display, window);
    reportQueuedEnd(display, DownloadEnd::Failed);
}

}  // namespace

int leadingInteger(std::string_view text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || value > 100000000)
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

void startFileDownload(DownloadDisplay& display, DownloadWindow& window, DownloadSubject subject)
{
    // One download at a time: a second click while one is on screen does nothing.
    if (display.active)
        return;
    display.retryStage = 0;
    display.subject = std::move(subject);
    beginFileDownload(display, window);
}

void beginFileDownload(DownloadDisplay& display, DownloadWindow& window)
{
    const DownloadSubject& subject = display.subject;

    // Post-processing belongs to the customer's request, not to the silent retry.
    if (display.retryStage == 0 && subject.postProcessFlag == "1") {
        const int confirmed = window.postProcess ? window.postProcess(subject) : 0;
        if (confirmed != 1)
            message(window, kPostProcessWarning, "Important Information", ui::mb::kIconExclamation);
    }

    // The name comes from the store: it may only ever name one file inside the folder,
    // and not the record or partial file of another file of the product.
    if (!isSafeFileName(subject.fileName) || isCompanionOfListedFile(subject.fileName, subject.fileList)) {
        reportFailure(display, window, kInitialisationError, nullptr);
        abandonStart(display, window, false);
        return;
    }
    const auto folder = prepareDownloadFolder(window.downloadBase, window.vendorId);
    if (!folder) {
        reportFailure(display, window, kStartError, "Error");
        abandonStart(display, window, false);
        return;
    }
    display.folder = folder->string();
    const std::string target = targetPath(display);

    std::error_code error;
    if (display.retryStage == 0 && !display.queueEnded &&
        std::filesystem::exists(std::filesystem::symlink_status(target, error)) &&
        message(window, kFileExistsQuestion, "File Already Exists", ui::mb::kYesNo) != ui::kIdYes)
        return;

    // The old file and a non-empty record stay until the new download has really
    // started (the engine removes them then): a start that fails changes nothing.

    if (display.retryStage == 0) {
        std::string pid = subject.productId;
        if (subject.multiFile)
            pid += ":" + std::to_string(subject.fileIndex);
        requestFileId(window.deployment, window.session, pid, display.fileIdReply, window.promptLogin);
    }
    const auto fileId = fileIdOf(display.fileIdReply);
    if (!fileId) {
        reportFailure(display, window, kInitialisationError, nullptr);
        abandonStart(display, window, false);
        return;
    }

    showFileBeingFetched(window, subject);
    const std::string& server =
        display.retryStage != 0 ? window.deployment.fileSecondary : window.deployment.filePrimary;
    const std::string url = fileUrl(server, *fileId);
    showDownloadMode(window);

    std::uint64_t expectedSize = leadingCount(subject.sizeText);
    if (expectedSize == 0)
        expectedSize = subject.byteCount;
    const PartialPlan plan{
        .version = subject.version,
        .orderedSize = subject.byteCount,
        .keepsOldCopy = display.queueEnded != nullptr,
        .record = DownloadRecord{subject.productName, subject.productId, subject.fileName, subject.version},
        .now = window.now,
    };
    if (startDownload(window.job, window.session.hasLogin, display.folder, url, subject.fileName, expectedSize,
                      plan) != 1) {
        reportFailure(display, window, kStartError, "Error");
        abandonStart(display, window, true);
        return;
    }
    display.active = true;
    display.completionSeen = false;
    if (display.retryStage == 0)
        display.cancelRequested = false;
    window.view.setEnabled(ids::kProductList, false);
    window.view.setEnabled(ids::kFileBox, false);
    window.view.startTimer(ids::kProgressTimer, kProgressTimerMs);
}

void onProgressTimer(DownloadDisplay& display, DownloadWindow& window)
{
    if (!display.active) {
        // Every end of a download stops the timer; a tick after it has nothing to show.
        window.view.stopTimer(ids::kProgressTimer);
        return;
    }
    std::string text;
    const bool running = readProgress(window.job, text);
    const FieldList fields = splitFields(text, '|');

    if (fields.size() == 1) {
        // The worker publishes its error just before it clears its flag; the retry can
        // only start once it has.
        if (running)
            return;
        window.view.stopTimer(ids::kProgressTimer);
        if (display.cancelRequested) {
            // Stopped by the customer before a byte came: no retry, nothing to report.
            finishCanceled(display, window);
            return;
        }
        failDownload(display, window);
        return;
    }
    if (fields.size() < 5)
        return;
    const std::string& status = fields[4];

    if (running) {
        if (status == kStatusDownloading) {
            showProgress(display, window, fields);
            display.completionSeen = false;
        }
        return;
    }
    if (display.completionSeen) {
        finishCompleted(display, window);
    } else if (status == kStatusCanceled) {
        finishCanceled(display, window);
    } else if (status == kStatusCompleted) {
        showCompletion(display, window);
    }
}

void cancelFileDownload(DownloadDisplay& display, DownloadJob& job)
{
    if (display.active)
        display.cancelRequested = true;
    cancelDownload(job);
}

}  // namespace qk::download
