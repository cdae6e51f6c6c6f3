#pragma once
// Update All: the outdated files of the library fetched one after another through the
// customer's own download road, with the outcome of each kept for one summary at the end.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "download/download_display.h"

namespace qk::download {

class UpdateQueue {
public:
    // Starts over with these files; any earlier queue is forgotten. `leftAlone`: files not
    // updated because another product's file of that name is there (named in the summary).
    void start(std::vector<DownloadSubject> files, std::vector<std::string> leftAlone = {});

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

    // "Updating 2 of 5..." while the queue runs.
    [[nodiscard]] std::string progressCaption() const;
    // The one message at the end: how many files were updated, and which were not.
    [[nodiscard]] std::string summary() const;

private:
    std::vector<DownloadSubject> files_;
    std::size_t position_ = 0;
    std::size_t updated_ = 0;
    std::vector<std::string> failed_;
    std::vector<std::string> leftAlone_;
    bool running_ = false;
    bool cancelled_ = false;
};

}  // namespace qk::download
