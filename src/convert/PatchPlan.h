#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "ModelSource.h"
#include "formats/ModelPatch.h"

namespace cvx {

// How patches that one original is given are applied: decided whole before a byte of the result
// is written (make, merge), then the result streamed out (run). Every patch speaks in the
// numbering of the original it was made from; each of its runs is applied where the elements it
// replaces stand in this original: at their place, or moved by elements inserted or removed in
// front of them, found again by their hashes and their neighbours'. Runs of several patches that
// touch different elements combine, the same change made twice counts once, and two patches that
// change an element differently conflict, unless one of them is preferred.
class PatchPlan {
public:
    // A patch and the file it stands for in messages: the patch file, or the mod it was made of.
    struct Named {
        std::filesystem::path file;
        ModelPatch patch;
    };
    // Which of two conflicting patches wins: none (the conflict is refused), the one given
    // first, or the one given last.
    enum class Prefer { None, First, Last };

    // Returns the plan of applying `patches`, in order, to `original`. Reads of the original only
    // what it needs: the elements that the runs replace and their neighbours, a section through
    // where a run is not at its place, and the unowned bytes where a patch changes them. Throws
    // RunError naming the patch: code 9 when a run, a header byte or the unowned bytes it
    // replaces are found nowhere (naming the section file and the element), or when the result's
    // section lengths fit no counts; code 5 when two patches change an element differently and
    // `prefer` is None (naming the section file, the element in the original's numbering and
    // both patches); code 6 when the result is 2 GiB or more. Read errors throw their code.
    static PatchPlan make(const ModelSource& original, std::vector<Named> patches,
                          Prefer prefer = Prefer::None);

    // Returns the plan that joins the mods `a` and `b` of `base` into one model: the patches
    // from `base` to each, made in memory, applied to `base` (First prefers a, Last b). Throws
    // as makePatch() and make() do.
    static PatchPlan merge(const ModelSource& base, const ModelSource& a,
                           const std::filesystem::path& aFile, const ModelSource& b,
                           const std::filesystem::path& bFile, Prefer prefer = Prefer::None);

    const ModelHeader& header() const { return m_header; }
    std::int32_t length() const { return m_length; }
    // What the user should know: an original that is not the one a patch was made from and how
    // many of its runs moved, changes that several patches make alike, conflicts a preference
    // settled.
    const std::vector<std::string>& notes() const { return m_notes; }

    // Writes the result, `length()` bytes, behind what `out` holds: the stretches that it keeps
    // of `original` (the one the plan was made for) copied from its files with
    // FileHandle::copyFrom, inside the kernel where it can, the rest a block at a time. The
    // hashes are taken on a second thread that reads the original once more meanwhile, so the
    // original's files are read from two threads at once. Returns notes that only reading the
    // whole original tells: that it is not the one a patch was made from although every run
    // stood in its place. Throws RunError with code 75 naming the patch when the original is the
    // one it was made from but the result is not the one it was made to give, and what reading
    // or `out` throws: the caller then keeps nothing of what `out` was given.
    std::vector<std::string> run(const ModelSource& original, FileHandle& out) const;

private:
    // At element `position` of the original, `removed` elements replaced by `bytes`.
    struct Piece {
        std::int64_t position = 0, removed = 0;
        std::span<const std::uint8_t> bytes;
        std::size_t patch = 0;
    };

    // A stretch of the result or of the original, in order (PatchPlan.cpp).
    struct Stretch;

    // Returns the result and the original as one list of stretches in order.
    std::vector<Stretch> layout(const ModelSource& original) const;
    // Returns the 128-bit hash of the result's bytes among `stretches`, or with `ofOriginal` of
    // the original's, reading the original a block at a time; stops early, giving no hash worth
    // having, once `stop` is set. Throws what reading throws.
    static Hash128 hashOf(const std::vector<Stretch>& stretches, bool ofOriginal,
                          const std::atomic<bool>& stop);
    // Refuses, naming the patch, an original that is the model one of the patches gives: a
    // patch applied twice, which finds its runs nowhere.
    void refuseApplied(const ModelSource& original) const;

    void planHeader(const ModelSource& original, Prefer prefer);
    void planUnowned(const ModelSource& original, Prefer prefer);
    void planSection(const ModelSource& original, const SectionInfo& info, Prefer prefer);
    void settle(const ModelSource& original);
    // Refuses, or notes how `prefer` settles, that patches `earlier` and `later` change `what`
    // differently; returns whether the later one wins.
    bool conflict(std::size_t earlier, std::size_t later, const std::string& what, Prefer prefer);

    std::vector<Named> m_patches;
    std::array<std::vector<Piece>, kSectionCount> m_pieces;
    // By patch: its runs not at their place, all its runs, changes an earlier patch made too,
    // and whether it is known to be made from another original.
    std::vector<std::size_t> m_moved, m_runs, m_repeats;
    std::vector<bool> m_other;
    ModelHeader m_header;
    std::optional<std::span<const std::uint8_t>> m_unowned;  // the new bytes in no section
    std::int32_t m_length = 0;
    std::vector<std::string> m_notes;
};

}  // namespace cvx
