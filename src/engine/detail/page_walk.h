#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/detail/sqlite.h"

namespace pezolva::engine::detail {

// Every page of a file counted once in `used`; a page out of range is said
// in `problem`, a page counted again is only counted (twice()).  Only the
// first problem is kept: what follows it is usually its consequence.
class PageTally {
  public:
    explicit PageTally(std::int64_t page_count);

    // Counts `page`, whose `role` (and the page `from` that names it, if
    // any) a note says: "apontada pela página", 7.  True when it had not
    // been counted before and is in the file, so that it may be followed.
    bool count(std::int64_t page, const char* role, std::int64_t from = 0);
    void note(const std::string& problem) {
        if (problem_.empty()) problem_ = problem;
    }
    std::int64_t distinct() const { return distinct_; }
    std::int64_t twice() const { return twice_; }
    // The first page counted a second time; 0 when there is none.
    std::int64_t first_twice() const { return first_twice_; }
    bool is_used(std::int64_t page) const {
        return page >= 1 && page < static_cast<std::int64_t>(used_.size()) &&
               used_[static_cast<std::size_t>(page)];
    }
    // The first page of the file not counted, other than `except`; 0 when
    // every page is.
    std::int64_t first_unused(std::int64_t except) const;
    const std::string& problem() const { return problem_; }

  private:
    std::vector<bool> used_;
    std::int64_t distinct_ = 0, twice_ = 0, first_twice_ = 0;
    std::string problem_;
};

// The pages of a database file, read through the connection's own file
// (a descriptor of ours, once closed, would drop the connection's locks)
// in aligned blocks, of which a few are kept: the trees of a compacted
// file lie mostly in order, so most pages come from a block already read.
// The caller holds a read transaction for the reader's life.
class PageReader {
  public:
    // 64 KiB blocks cost the least CPU on a 1 GB file (0.45 s against
    // 0.75 s page by page); from 128 KiB the kernel's copy costs three
    // times as much.  Eight blocks hold the pages a walk goes back to.
    static constexpr std::int64_t kBlockBytes = 64 * 1024;
    static constexpr std::size_t kBlocks = 8;

    // Throws EngineError (ErroMotor) when the connection has no file to
    // read, ErroDisco when the file cannot be read.
    // `db` is the connection, `path` its file's name for the messages.
    PageReader(sqlite3* db, std::string path, std::int64_t page_size,
               std::int64_t block_bytes = kBlockBytes, std::size_t blocks = kBlocks);

    std::int64_t page_size() const { return page_size_; }
    // The page size less the bytes the file reserves at the end of each page.
    std::int64_t usable_size() const { return usable_size_; }
    // The pages the file holds on disk.
    std::int64_t pages_on_disk() const { return file_size_ / page_size_; }
    // The bytes of `page` (from 1), valid until the next call; nullptr
    // for a page past the end of the file.  Throws EngineError: ErroDisco
    // when the file cannot be read, ErroCancelado on an interruption
    // request.
    const unsigned char* page(std::int64_t page);
    // How many reads of the file were made.
    std::int64_t reads() const { return reads_; }

  private:
    struct Block {
        std::int64_t first = -1;  // the block's first byte in the file
        std::uint64_t last_use = 0;
        std::vector<unsigned char> bytes;
    };
    Block& load(std::int64_t first);

    sqlite3_file* file_ = nullptr;
    std::string path_;
    std::int64_t page_size_, usable_size_ = 0, file_size_ = 0, block_bytes_;
    std::vector<Block> blocks_;
    std::size_t recent_ = 0;
    std::uint64_t clock_ = 0;
    std::int64_t reads_ = 0;
};

// Counts into `tally` every page of the b-trees rooted at `roots`
// (page 1, the schema's, among them): their interior and leaf pages and
// the overflow pages of their cells.  A page counted already is counted
// again but not followed, so that a damaged file cannot make the walk
// loop.  Damage (a page of no known kind, a cell outside its page, an
// overflow chain of the wrong length, a tree too deep) is noted in the
// tally, naming the page, and ends the walk.
void CountTreePages(PageReader& reader, const std::vector<std::int64_t>& roots, PageTally& tally);

// Counts into `tally` the pages of the free list: its trunk pages, chained
// from the file header, and the leaf pages each lists.  A list that
// repeats pages or whose length differs from the header's is noted.
void CountFreeList(PageReader& reader, PageTally& tally);

}  // namespace pezolva::engine::detail
