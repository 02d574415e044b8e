#pragma once

#include "regions/region_box.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One region as the window lists it.
struct ListedRegion {
    std::string name;
    iconfinder::RegionBox box;
    std::optional<iconfinder::RegionBox> cell; // the grid cell the box was trimmed from, while the box stays
    friend bool operator==(const ListedRegion&, const ListedRegion&) = default;
};

// The regions of the last search as the user corrects them: removed, merged into their
// common box, renamed, given other boxes; every edit can be undone and redone. Plain C++, so that it is tested
// against a model without a window.
class RegionList {
public:
    // A new list, without history.
    void reset(std::vector<ListedRegion> regions);
    const std::vector<ListedRegion>& regions() const { return regions_; }
    std::size_t size() const { return regions_.size(); }

    // Each edit returns the rows that hold what it put in the list (to select them).
    // `rows`: sorted, distinct, in the list.
    std::vector<std::size_t> remove(const std::vector<std::size_t>& rows);
    // Two rows or more become one region with their common box, in the first one's row and
    // with its name.
    std::vector<std::size_t> merge(const std::vector<std::size_t>& rows);
    // Throws InputError for a name no file could have (empty, '/', control characters, "."
    // or "..") or one that another region has.
    std::vector<std::size_t> rename(std::size_t row, const std::string& name);
    // A new region after the others, named as given (the caller sees that no other has the name).
    std::vector<std::size_t> add(ListedRegion region);
    // The region of `row` replaced by `parts` in its place, named as given.
    std::vector<std::size_t> split(std::size_t row, std::vector<ListedRegion> parts);
    // The region of `row` in `box`, which the caller has clipped to the picture.
    std::vector<std::size_t> reshape(std::size_t row, iconfinder::RegionBox box);
    // Every row out, as one edit.
    void clear();

    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }
    // Nothing, when there is nothing to undo or redo.
    std::vector<std::size_t> undo();
    std::vector<std::size_t> redo();

    // Whether the list has been edited since it was new or last marked saved; undoing back
    // to that point makes it unedited again.
    bool editedSinceSaved() const { return lastEdit() != savedAt_; }
    void markSaved() { savedAt_ = lastEdit(); }

    // Since it was last asked (or new): the rows before `from` are as they were, and the list
    // was `sizeBefore` long, so that whatever mirrors it need redo only the rest; after a
    // single edit, the rows it took out (as they were numbered) and put in (as they are).
    struct Change {
        std::size_t from = 0;
        std::size_t sizeBefore = 0;
        int edits = 0;
        std::vector<std::size_t> out;
        std::vector<std::pair<std::size_t, iconfinder::RegionBox>> in;
    };
    Change takeChange();

private:
    using Placed = std::vector<std::pair<std::size_t, ListedRegion>>;
    // What an edit took out (rows before it) and put in (rows after it); undone by swapping.
    struct Edit {
        Placed out;
        Placed in;
        std::uint64_t id = 0;
    };
    std::uint64_t lastEdit() const { return done_.empty() ? 0 : done_.back().id; }
    std::vector<std::size_t> apply(const Edit& edit);
    void noteChange(const Edit& edit);
    std::vector<std::size_t> record(Edit edit);
    // Takes the last edit of `from` back (its swap) and keeps it in `to`.
    std::vector<std::size_t> step(std::vector<Edit>& from, std::vector<Edit>& to);

    std::vector<ListedRegion> regions_;
    std::vector<Edit> done_;
    std::vector<Edit> undone_;
    std::uint64_t editsMade_ = 0;
    std::uint64_t savedAt_ = 0;
    Change change_;
};
