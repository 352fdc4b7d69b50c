#include "session/session.h"

#include <utility>

namespace byteloom {

Session::Session(std::int64_t pageSize, FileSystem &files)
    : files_(files)
    , document_(std::make_unique<Document>(pageSize, files))
    , decoder_(std::make_unique<TextDecoder>())
    , codePages_(CodePageList::Enumerate(*decoder_))
{}

void Session::Replace(std::unique_ptr<Document> document)
{
    // Records of one document must never be applied to another.
    journal_.Clear();
    pointers_.back.clear();
    document_ = std::move(document);
    ++generation_;
}

LoadResult Session::OpenDocument(const std::filesystem::path &path, bool allowPaging)
{
    auto loaded = std::make_unique<Document>(document_->PageSize(), files_);
    LoadResult result = loaded->Load(path, allowPaging);
    if (result.status == LoadStatus::Loaded)
        Replace(std::move(loaded));
    return result;
}

void Session::NewDocument()
{
    auto created = std::make_unique<Document>(document_->PageSize(), files_);
    created->New();
    Replace(std::move(created));
    tables_.DropAll();
}

void Session::CloseDocument()
{
    Replace(std::make_unique<Document>(document_->PageSize(), files_));
    tables_.DropAll();
}

} // namespace byteloom
