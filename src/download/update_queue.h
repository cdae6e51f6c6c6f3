#pragma once
// Update All: the outdated files of the library fetched one after another through the
// customer's own download road, with the outcome of each kept for one summary at the end.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "download/download_display.h"
#include "ui/resources/main_window.h"

namespace qk::download {

// How a queue shows itself: the button that started it (its caption counts the files
// while the queue runs, and titles the summary) and the verbs of its texts. Update All's
// unless a caller says otherwise.
struct QueueLabels {
    int button = ui::resources::kUpdateAll;
    std::string caption = "Update All";
    std::string gerund = "Updating";    // "Updating 2 of 5...", "Updating was canceled."
    std::string participle = "updated"; // "2 files were updated.", "could not be updated"
};

class UpdateQueue {
public:
    // Starts over with these files; any earlier queue is forgotten. `leftAlone`: files not
    // updated because another product's file of that name is there (named in the summary).
    void start(std::vector<DownloadSubject> files, QueueLabels labels = {},
               std::vector<std::string> leftAlone = {});

    // The next file to fetch, and it becomes the current one; nothing once the queue is
    // through or cancelled.
    std::optional<DownloadSubject> next();
    // The current file ended so.
    void ended(DownloadEnd end);
    // Cancel: the current file is being stopped and none after it is fetched.
    void cancel() { cancelled_ = true; }

    [[nodiscard]] bool running() const { return running_; }
    // Called once the last file ended: the queue is idle again.
    void finish() { running_ = false; }

    [[nodiscard]] std::size_t position() const { return position_; }  // 1-based; 0 before the first
    [[nodiscard]] std::size_t total() const { return files_.size(); }
    [[nodiscard]] std::size_t updated() const { return updated_; }
    [[nodiscard]] bool cancelled() const { return cancelled_; }
    [[nodiscard]] const std::vector<std::string>& failedFiles() const { return failed_; }
    [[nodiscard]] const QueueLabels& labels() const { return labels_; }

    // "Updating 2 of 5..." (in the labels' words) while the queue runs.
    [[nodiscard]] std::string progressCaption() const;
    // The one message at the end: how many files were updated, and which were not.
    [[nodiscard]] std::string summary() const;

private:
    std::vector<DownloadSubject> files_;
    QueueLabels labels_;
    std::size_t position_ = 0;
    std::size_t updated_ = 0;
    std::vector<std::string> failed_;
    std::vector<std::string> leftAlone_;
    bool running_ = false;
    bool cancelled_ = false;
};

}  // namespace qk::download
