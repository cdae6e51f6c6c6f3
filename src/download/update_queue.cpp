#include "download/update_queue.h"

#include <utility>

namespace qk::download {

namespace {

std::string filesText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

}  // namespace

void UpdateQueue::start(std::vector<DownloadSubject> files, QueueLabels labels,
                        std::vector<std::string> leftAlone)
{
    *this = UpdateQueue{};
    files_ = std::move(files);
    labels_ = std::move(labels);
    leftAlone_ = std::move(leftAlone);
    running_ = true;
}

std::optional<DownloadSubject> UpdateQueue::next()
{
    if (!running_ || cancelled_ || position_ >= files_.size())
        return std::nullopt;
    return files_[position_++];
}

void UpdateQueue::ended(DownloadEnd end)
{
    if (position_ == 0)
        return;
    if (end == DownloadEnd::Completed)
        ++updated_;
    else if (end == DownloadEnd::Failed)
        failed_.push_back(files_[position_ - 1].fileName);
}

std::string UpdateQueue::progressCaption() const
{
    return labels_.gerund + " " + std::to_string(position_) + " of " + std::to_string(files_.size()) + "...";
}

std::string UpdateQueue::summary() const
{
    const std::string& done = labels_.participle;
    std::string text = updated_ == 1 ? "1 file was " + done + "." : filesText(updated_) + " were " + done + ".";
    if (cancelled_)
        text = labels_.gerund + " was canceled. " + text;
    if (!failed_.empty()) {
        text += "\r\n\r\n" + std::string(failed_.size() == 1 ? "This file" : "These files") +
                " could not be " + done + ":";
        for (const std::string& name : failed_)
            text += "\r\n" + name;
    }
    if (!leftAlone_.empty()) {
        text += "\r\n\r\n" + std::string(leftAlone_.size() == 1
                                             ? "This file belongs to another product and was left alone:"
                                             : "These files belong to another product and were left alone:");
        for (const std::string& name : leftAlone_)
            text += "\r\n" + name;
    }
    return text;
}

}  // namespace qk::download
