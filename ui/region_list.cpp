#include "ui/region_list.h"

#include "common/errors.h"
#include "present/name_pattern.h"

#include <algorithm>
#include <utility>

void RegionList::reset(std::vector<ListedRegion> regions)
{
    regions_ = std::move(regions);
    change_ = {regions_.size(), regions_.size(), 0, {}, {}}; // whatever mirrors a new list takes it whole
    done_.clear();
    undone_.clear();
    savedAt_ = 0;
}

std::vector<std::size_t> RegionList::apply(const Edit& edit)
{
    // One pass out and one pass in, so that deleting thousands of rows of a long list stays
    // linear.
    noteChange(edit);
    std::vector<bool> leaving(regions_.size(), false);
    for (const auto& [row, region] : edit.out)
        leaving[row] = true;
    std::size_t kept = 0;
    for (std::size_t row = 0; row < regions_.size(); ++row) {
        if (leaving[row])
            continue;
        if (kept != row) // a string moved onto itself would be left empty
            regions_[kept] = std::move(regions_[row]);
        ++kept;
    }
    regions_.resize(kept);

    std::vector<ListedRegion> merged;
    merged.reserve(regions_.size() + edit.in.size());
    std::vector<std::size_t> rows;
    std::size_t from = 0;
    for (const auto& [row, region] : edit.in) {
        while (merged.size() < row)
            merged.push_back(std::move(regions_[from++]));
        rows.push_back(merged.size());
        merged.push_back(region);
    }
    while (from < regions_.size())
        merged.push_back(std::move(regions_[from++]));
    regions_ = std::move(merged);
    return rows;
}

std::vector<std::size_t> RegionList::record(Edit edit)
{
    std::vector<std::size_t> rows = apply(edit);
    edit.id = ++editsMade_;
    done_.push_back(std::move(edit));
    undone_.clear();
    return rows;
}

std::vector<std::size_t> RegionList::remove(const std::vector<std::size_t>& rows)
{
    Edit edit;
    for (const std::size_t row : rows)
        edit.out.emplace_back(row, regions_[row]);
    return record(std::move(edit));
}

void RegionList::clear()
{
    std::vector<std::size_t> every(regions_.size());
    for (std::size_t row = 0; row < every.size(); ++row)
        every[row] = row;
    remove(every);
}

std::vector<std::size_t> RegionList::merge(const std::vector<std::size_t>& rows)
{
    if (rows.size() < 2)
        return {};
    Edit edit;
    ListedRegion common = regions_[rows.front()];
    common.cell.reset();
    for (const std::size_t row : rows) {
        const iconfinder::RegionBox& box = regions_[row].box;
        common.box = iconfinder::united(common.box, box);
        edit.out.emplace_back(row, regions_[row]);
    }
    // The rows before the first stay, so it lands where the first was.
    edit.in.emplace_back(rows.front(), std::move(common));
    return record(std::move(edit));
}

std::vector<std::size_t> RegionList::rename(std::size_t row, const std::string& name)
{
    if (name.empty())
        throw iconfinder::InputError("이름이 비어 있습니다");
    if (name.size() > iconfinder::kLongestFileName)
        throw iconfinder::InputError("이름이 너무 깁니다 (" + std::to_string(iconfinder::kLongestFileName) + "바이트까지)");
    if (!iconfinder::fileNameProblem(name).empty())
        throw iconfinder::InputError("'" + name + "'은(는) 파일 이름이 될 수 없습니다");
    for (std::size_t other = 0; other < regions_.size(); ++other)
        if (other != row && regions_[other].name == name)
            throw iconfinder::InputError("'" + name + "'은(는) 이미 다른 영역의 이름입니다");
    if (regions_[row].name == name)
        return {row};
    ListedRegion renamed = regions_[row];
    renamed.name = name;
    return record({{{row, regions_[row]}}, {{row, std::move(renamed)}}});
}

std::vector<std::size_t> RegionList::add(ListedRegion region)
{
    return record({{}, {{regions_.size(), std::move(region)}}});
}

std::vector<std::size_t> RegionList::split(std::size_t row, std::vector<ListedRegion> parts)
{
    Edit edit{{{row, regions_[row]}}, {}, 0};
    for (std::size_t k = 0; k < parts.size(); ++k)
        edit.in.emplace_back(row + k, std::move(parts[k]));
    return record(std::move(edit));
}

std::vector<std::size_t> RegionList::reshape(std::size_t row, iconfinder::RegionBox box)
{
    if (regions_[row].box == box)
        return {row};
    ListedRegion reshaped = regions_[row];
    reshaped.box = box;
    reshaped.cell.reset();
    return record({{{row, regions_[row]}}, {{row, std::move(reshaped)}}});
}

void RegionList::noteChange(const Edit& edit)
{
    if (++change_.edits == 1) {
        for (const auto& [row, region] : edit.out)
            change_.out.push_back(row);
        for (const auto& [row, region] : edit.in)
            change_.in.emplace_back(row, region.box);
    }
    for (const auto& [row, region] : edit.out)
        change_.from = std::min(change_.from, row);
    for (const auto& [row, region] : edit.in)
        change_.from = std::min(change_.from, row);
}

RegionList::Change RegionList::takeChange()
{
    Change change = std::move(change_);
    change_ = {regions_.size(), regions_.size(), 0, {}, {}};
    return change;
}

std::vector<std::size_t> RegionList::step(std::vector<Edit>& from, std::vector<Edit>& to)
{
    if (from.empty())
        return {};
    Edit edit = std::move(from.back());
    from.pop_back();
    std::swap(edit.out, edit.in);
    std::vector<std::size_t> rows = apply(edit);
    to.push_back(std::move(edit));
    return rows;
}

std::vector<std::size_t> RegionList::undo() { return step(done_, undone_); }

std::vector<std::size_t> RegionList::redo() { return step(undone_, done_); }
