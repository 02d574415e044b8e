#include "files/output_file.h"

#include "common/errors.h"
#include "files/commit_record.h"
#include "files/scratch_files.h"
#include "files/temporary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <system_error>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>
#include <unistd.h>

namespace iconfinder {
namespace {

namespace fs = std::filesystem;

// What stands at a path already: nothing (or nothing that can be looked at), a regular file,
// a directory or something else.
enum class Existing { None, Regular, Directory, Other };

Existing kindOf(const fs::file_status& status)
{
    switch (status.type()) {
    case fs::file_type::none:
    case fs::file_type::not_found: return Existing::None;
    case fs::file_type::regular: return Existing::Regular;
    case fs::file_type::directory: return Existing::Directory;
    default: return Existing::Other;
    }
}

Existing existingAt(const fs::path& path)
{
    std::error_code error;
    return kindOf(fs::status(path, error));
}

// Creates the missing parents of a folder; removes what it created again unless kept.
class CreatedParents {
public:
    explicit CreatedParents(const fs::path& folder)
    {
        const fs::path parent = folder.parent_path();
        if (parent.empty())
            return;
        for (fs::path p = parent; !p.empty() && existingAt(p) == Existing::None; p = p.parent_path())
            topmost_ = p;
        std::error_code error;
        fs::create_directories(parent, error);
        if (error || existingAt(parent) != Existing::Directory)
            throw IoError("cannot create directory: " + (error ? error.message() : std::string("a file of that name exists")),
                          parent.string());
    }
    CreatedParents(const CreatedParents&) = delete;
    CreatedParents& operator=(const CreatedParents&) = delete;
    ~CreatedParents()
    {
        std::error_code ignored;
        if (!kept_ && !topmost_.empty())
            fs::remove_all(topmost_, ignored);
    }
    void keep() { kept_ = true; }

private:
    fs::path topmost_;
    bool kept_ = false;
};

fs::path withoutTrailingSlash(const fs::path& folder)
{
    fs::path path = folder.lexically_normal();
    return path.has_filename() || !path.has_parent_path() ? path : path.parent_path();
}

// What a path names through its links, which a write replaces rather than the links; links
// may point where nothing is yet.
fs::path throughLinks(fs::path path)
{
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, error); ++hops) {
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// Flushes the file system that holds `folder`.
void syncFolder(const fs::path& folder)
{
    FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.get() < 0 || ::syncfs(handle.get()) != 0)
        throw IoError("cannot write: " + systemReason(errno), folder.string());
}

// A folder that did not exist, filled as a hidden work folder beside it, to be renamed into
// place whole, so that no file ever stands under a crop's final name unless all do; or one
// that did, to be swapped whole for the work folder.
struct NewFolder {
    fs::path folder;
    std::unique_ptr<CreatedParents> parents;
    std::unique_ptr<scratch::Remembered> work;
    std::vector<std::unique_ptr<TemporaryFile>> files;
    bool swap = false;
    bool placed = false;

    ~NewFolder()
    {
        files.clear();
        if (work) {
            scratch::readyToPlace(work->path());
            ::rmdir(work->path().c_str());
        }
    }
};

// What a folder holds, each name with what it is, listed once (as far as it can be, `error`
// says why not); on the way, what runs no longer alive left there goes: their commits
// finished first, then their part files removed.
std::unordered_map<std::string, Existing> tidiedListing(const fs::path& folder, std::error_code& error)
{
    std::vector<std::pair<fs::path, Existing>> entries;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code unknown;
        entries.emplace_back(it->path(), kindOf(it->status(unknown)));
    }
    for (const auto& entry : entries)
        if (isInterruptedCommit(entry.first))
            finishInterruptedCommit(entry.first);
    std::unordered_map<std::string, Existing> present;
    for (const auto& [path, kind] : entries)
        if (!scratch::removeIfLeftover(path))
            present[path.filename().string()] = kind;
    return present;
}

// The names to be written, checked against what the folder holds; returns how many other
// files, not hidden ones, it holds.
std::size_t checkNamesIn(const fs::path& folder, const std::vector<std::string>& names)
{
    std::error_code error;
    const std::unordered_map<std::string, Existing> present = tidiedListing(folder, error);
    if (error)
        throw IoError("cannot list the folder: " + error.message(), folder.string());
    for (const std::string& name : names) {
        const auto found = present.find(name);
        if (found != present.end() && found->second != Existing::Regular)
            throw IoError(found->second == Existing::Directory ? "is a directory" : "not a regular file", (folder / name).string());
    }
    const std::unordered_set<std::string> written(names.begin(), names.end());
    return static_cast<std::size_t>(std::count_if(present.begin(), present.end(), [&](const auto& entry) {
        return entry.second == Existing::Regular && entry.first[0] != '.' && !written.contains(entry.first);
    }));
}

// A hidden work folder beside `folder`, made and remembered, its parents created.
std::unique_ptr<NewFolder> workFolderFor(const fs::path& folder)
{
    auto fresh = std::make_unique<NewFolder>();
    fresh->folder = folder;
    fresh->parents = std::make_unique<CreatedParents>(folder);
    const fs::path parent = folder.has_parent_path() ? folder.parent_path() : fs::path(".");
    std::error_code unlisted;
    tidiedListing(parent, unlisted);
    int error = 0;
    fresh->work = std::make_unique<scratch::Remembered>((parent / scratch::partName(folder.filename().string())).string(),
                                                        [&](const std::string& path) {
                                                            error = scratch::makeWorkFolder(path);
                                                            return error == 0;
                                                        });
    if (!fresh->work->made()) {
        fresh->work.reset();
        throw IoError("cannot create directory: " + systemReason(error), folder.string());
    }
    return fresh;
}

} // namespace

struct OutputBatch::Staged {
    std::vector<std::unique_ptr<TemporaryFile>> files; // renamed into place at the commit, undoably
    std::vector<std::unique_ptr<NewFolder>> folders;
    std::vector<fs::path> foldersToSync;
    std::vector<std::pair<fs::path, std::vector<std::byte>>> toStandardOutput; // written last, since it cannot be undone
};

OutputBatch::OutputBatch() : staged_(std::make_unique<Staged>()) {}

OutputBatch::~OutputBatch() = default;

void OutputBatch::addFile(const fs::path& path, const std::function<void(ByteWriter&)>& encode)
{
    // Standard output is written in place, whether it goes to a terminal, a pipe or a file;
    // other devices and FIFOs are refused rather than waited on or written into.
    if (isStandardOutput(path)) {
        std::vector<std::byte> bytes;
        ByteWriter out([&](std::span<const std::byte> piece) { bytes.insert(bytes.end(), piece.begin(), piece.end()); });
        encode(out);
        out.flush();
        staged_->toStandardOutput.emplace_back(path, std::move(bytes));
        return;
    }
    switch (existingAt(path)) {
    case Existing::Directory: throw IoError("is a directory", path.string());
    case Existing::Other: throw IoError("not a regular file", path.string());
    case Existing::None:
    case Existing::Regular: break;
    }
    const fs::path target = throughLinks(path);
    std::error_code unlisted; // a folder that cannot be listed is written into all the same
    tidiedListing(target.has_parent_path() ? target.parent_path() : fs::path("."), unlisted);
    staged_->files.push_back(std::make_unique<TemporaryFile>(target, false));
    staged_->files.back()->write(encode, true);
}

std::size_t OutputBatch::addFiles(const fs::path& folder, const std::vector<std::string>& names,
                                  const std::function<void(std::size_t, ByteWriter&)>& encode, bool replaceFolder)
{
    const fs::path target = withoutTrailingSlash(folder);
    const auto writeAll = [&](const fs::path& into, bool inWorkFolder, std::vector<std::unique_ptr<TemporaryFile>>& files) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            files.push_back(std::make_unique<TemporaryFile>(into / names[i], inWorkFolder));
            files.back()->write([&](ByteWriter& out) { encode(i, out); }, false);
        }
        staged_->foldersToSync.push_back(into);
    };
    const Existing existing = existingAt(target);
    if (existing == Existing::None || (replaceFolder && existing == Existing::Directory)) {
        // A folder replaced is the one its links name, swapped beside it.
        std::unique_ptr<NewFolder> fresh = workFolderFor(existing == Existing::None ? target : throughLinks(target));
        fresh->swap = existing == Existing::Directory;
        writeAll(fresh->work->path(), true, fresh->files);
        staged_->folders.push_back(std::move(fresh));
        return 0;
    }
    if (existing != Existing::Directory)
        throw IoError("cannot create directory: a file of that name exists", target.string());
    const std::size_t others = checkNamesIn(target, names);
    writeAll(target, false, staged_->files);
    return others;
}

void OutputBatch::recordMoves(CommitRecord& record)
{
    // A folder that came into being meanwhile (another picture's atlas, say) takes the files
    // one by one, as any folder that exists.
    for (auto& fresh : staged_->folders) {
        if (fresh->swap || existingAt(fresh->folder) == Existing::None)
            continue;
        for (auto& file : fresh->files) {
            file->retarget(fresh->folder / fs::path(file->name()).filename());
            staged_->files.push_back(std::move(file));
        }
        fresh->files.clear();
    }
    std::erase_if(staged_->folders, [](const auto& fresh) { return fresh->files.empty(); });
    for (auto& fresh : staged_->folders)
        record.add({fresh->work->path(), fresh->folder, {}, true, fresh->swap});
    for (auto& file : staged_->files) {
        file->keepReplaced();
        record.add(file->move());
    }
}

void OutputBatch::renameIntoPlace()
{
    // An interrupt waits until every output is in place, or every one taken back; a kill is
    // finished by the next run from the record.
    const scratch::Committing committing;
    CommitRecord record;
    recordMoves(record);
    record.writeForward();
    std::vector<TemporaryFile*> renamed;
    try {
        placeFolders();
        for (auto& file : staged_->files) {
            file->renameIntoPlace();
            renamed.push_back(file.get());
        }
    } catch (...) {
        // A rename that fails midway takes back the ones before it, the files they replaced
        // restored, so that every folder is left as it was.
        record.writeUndo();
        for (auto it = renamed.rbegin(); it != renamed.rend(); ++it)
            (*it)->takeBack();
        takeFoldersBack();
        throw;
    }
    for (auto& fresh : staged_->folders) {
        fresh->parents->keep();
        if (fresh->swap) {
            // The old folder, now where the work was, goes before the mark that says so.
            std::error_code ignored;
            fs::remove_all(fresh->work->path(), ignored);
            scratch::readyToPlace(fresh->folder);
        }
    }
}

void OutputBatch::placeFolders()
{
    for (auto& fresh : staged_->folders) {
        if (fresh->swap) {
            // Marked as work still, until the old folder is gone.
            if (const int error = scratch::exchangePaths(fresh->work->path(), fresh->folder))
                throw IoError("cannot replace the folder in one step: " + systemReason(error), fresh->folder.string());
        } else {
            scratch::readyToPlace(fresh->work->path());
            if (::rename(fresh->work->path().c_str(), fresh->folder.c_str()) != 0)
                throw IoError("cannot create directory: " + systemReason(errno), fresh->folder.string());
        }
        fresh->placed = true;
    }
}

void OutputBatch::takeFoldersBack()
{
    for (auto& fresh : staged_->folders) {
        if (!fresh->placed)
            continue;
        fresh->placed = false;
        if (fresh->swap) {
            scratch::exchangePaths(fresh->work->path(), fresh->folder);
        } else if (::rename(fresh->folder.c_str(), fresh->work->path().c_str()) != 0) {
            std::error_code ignored;
            fs::remove_all(fresh->folder, ignored);
        }
    }
}

void OutputBatch::commit()
{
    // One flush of each file system instead of one per file: the files are on the disk
    // before any of them replaces an older one.
    for (const fs::path& folder : staged_->foldersToSync)
        syncFolder(folder);
    renameIntoPlace();
    for (const auto& output : staged_->toStandardOutput) {
        // Through the descriptor itself, so that what goes there stays in order.
        FileDescriptor out(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
        if (out.get() < 0)
            throw IoError("cannot write: " + systemReason(errno), output.first.string());
        encodeInto(out, output.first, [&](ByteWriter& writer) { writer.write(output.second); }, false);
    }
}

void writeWholeFile(const fs::path& path, const std::function<void(ByteWriter&)>& encode)
{
    OutputBatch batch;
    batch.addFile(path, encode);
    batch.commit();
}

void writeFilesInFolder(const fs::path& folder, const std::vector<std::string>& names,
                        const std::function<void(std::size_t, ByteWriter&)>& encode)
{
    OutputBatch batch;
    batch.addFiles(folder, names, encode);
    batch.commit();
}

} // namespace iconfinder
