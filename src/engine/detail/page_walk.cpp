#include "engine/detail/page_walk.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "engine/error.h"
#include "engine/interruption.h"

namespace pezolva::engine::detail {
namespace {

std::uint32_t big_endian(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

std::uint32_t big_endian16(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 8) | std::uint32_t{bytes[1]};
}

std::string page_text(std::int64_t page) { return "A página " + std::to_string(page); }

// Reads the variable-length integer at `at`, which must end before `end`;
// false when it does not.
bool read_varint(const unsigned char* data, std::int64_t& at, std::int64_t end,
                 std::uint64_t& value) {
    value = 0;
    for (int i = 0; i < 9; ++i) {
        if (at >= end) return false;
        const unsigned char byte = data[at++];
        if (i == 8) {
            value = (value << 8) | byte;
            return true;
        }
        value = (value << 7) | (byte & 0x7f);
        if ((byte & 0x80) == 0) return true;
    }
    return true;
}

// Deeper than SQLite itself will read a tree.
constexpr int kMaxDepth = 20;

// The pages of b-trees, walked from their roots with a stack of our own,
// the lower keys first, so that a compacted file is read nearly in order.
class TreeWalk {
  public:
    TreeWalk(PageReader& reader, PageTally& tally) : reader_(reader), tally_(tally) {}

    void walk(std::int64_t root);

  private:
    enum class Kind : std::uint8_t { Unknown, Table, Index };
    struct Frame {
        std::int64_t page = 0, from = 0, root = 0;
        int depth = 1;
        Kind kind = Kind::Unknown;
    };
    struct Chain {
        std::int64_t first = 0;
        std::uint64_t pages = 0;
    };
    struct Layout {
        bool interior = false, index = false;
    };

    bool read_page(const Frame& frame, Kind& kind);
    bool read_cell(const unsigned char* data, std::int64_t at, const Layout& layout,
                   std::int64_t page);
    std::uint64_t local_size(std::uint64_t payload, bool index) const;
    void follow(const Chain& chain, std::int64_t cell_page);
    bool damaged(const std::string& problem) {
        tally_.note(problem);
        return false;
    }

    PageReader& reader_;
    PageTally& tally_;
    std::vector<Frame> stack_;
    std::vector<std::int64_t> children_;
    std::vector<Chain> chains_;
};

void TreeWalk::walk(std::int64_t root) {
    stack_.assign(1, Frame{root, 0, root, 1, root == 1 ? Kind::Table : Kind::Unknown});
    while (!stack_.empty() && tally_.problem().empty()) {
        const Frame frame = stack_.back();
        stack_.pop_back();
        Kind kind = frame.kind;
        if (!read_page(frame, kind)) return;
        // The page's bytes may be gone from the reader from here on: what
        // follows uses only what read_page took from them.
        for (const Chain& chain : chains_) {
            follow(chain, frame.page);
            if (!tally_.problem().empty()) return;
        }
        if (!children_.empty() && frame.depth >= kMaxDepth) {
            tally_.note("A árvore que começa na página " + std::to_string(frame.root) +
                        " tem mais de " + std::to_string(kMaxDepth) + " níveis.");
            return;
        }
        std::size_t kept = 0;
        for (const std::int64_t child : children_) {
            if (tally_.count(child, "apontada pela página", frame.page)) children_[kept++] = child;
        }
        for (std::size_t i = kept; i-- > 0;)
            stack_.push_back(Frame{children_[i], frame.page, frame.root, frame.depth + 1, kind});
    }
}

// Takes from the page of `frame` its children and the overflow chains of
// its cells; false, with the damage noted, when the page is not a sound
// b-tree page of the kind its parent says.
bool TreeWalk::read_page(const Frame& frame, Kind& kind) {
    children_.clear();
    chains_.clear();
    const std::int64_t page = frame.page;
    const unsigned char* data = reader_.page(page);
    if (data == nullptr) return damaged(page_text(page) + " está para lá do fim do ficheiro.");
    const std::int64_t usable = reader_.usable_size();
    const std::int64_t header = page == 1 ? 100 : 0;
    const unsigned flags = data[header];
    if (flags != 0x0d && flags != 0x05 && flags != 0x0a && flags != 0x02) {
        char code[8];
        std::snprintf(code, sizeof code, "0x%02x", flags);
        return damaged(page_text(page) + " não é uma página de árvore (o seu tipo é " + code +
                       ").");
    }
    const Layout layout{(flags & 0x08) == 0, (flags & 0x02) != 0};
    const Kind found = layout.index ? Kind::Index : Kind::Table;
    if (kind != Kind::Unknown && kind != found) {
        const std::string by =
            frame.from != 0 ? ", apontada pela página " + std::to_string(frame.from) + "," : "";
        return damaged(page_text(page) + by + " é de uma árvore de outro tipo.");
    }
    kind = found;
    const std::int64_t cells = big_endian16(data + header + 3);
    const std::int64_t pointers = header + (layout.interior ? 12 : 8);
    const std::int64_t content = pointers + 2 * cells;
    if (content > usable)
        return damaged(page_text(page) + " diz ter mais células do que cabem nela.");
    for (std::int64_t i = 0; i < cells; ++i) {
        const std::int64_t at = big_endian16(data + pointers + 2 * i);
        if (at < content || !read_cell(data, at, layout, page))
            return damaged(page_text(page) + " tem uma célula fora dos seus limites.");
    }
    if (layout.interior) children_.push_back(big_endian(data + header + 8));
    return true;
}

// Takes the child and the overflow chain of the cell at `at`; false when
// the cell does not fit in the page.
bool TreeWalk::read_cell(const unsigned char* data, std::int64_t at, const Layout& layout,
                         std::int64_t page) {
    const std::int64_t usable = reader_.usable_size();
    if (layout.interior) {
        if (at + 4 > usable) return false;
        children_.push_back(big_endian(data + at));
        at += 4;
    }
    std::uint64_t payload = 0, key = 0;
    if (!layout.index) {
        // A table's interior cell is its child and a key, nothing more.
        if (layout.interior) return read_varint(data, at, usable, key);
        if (!read_varint(data, at, usable, payload) || !read_varint(data, at, usable, key))
            return false;
    } else if (!read_varint(data, at, usable, payload)) {
        return false;
    }
    const std::uint64_t local = local_size(payload, layout.index);
    const std::int64_t room = usable - at;
    if (local == payload) return payload <= static_cast<std::uint64_t>(room);
    if (static_cast<std::int64_t>(local) + 4 > room) return false;
    const std::uint64_t per_page = static_cast<std::uint64_t>(usable - 4);
    const std::uint64_t pages = (payload - local + per_page - 1) / per_page;
    if (pages > static_cast<std::uint64_t>(reader_.pages_on_disk())) {
        tally_.note("Uma célula da página " + std::to_string(page) +
                    " diz ter mais conteúdo do que cabe no ficheiro.");
        return false;
    }
    chains_.push_back({big_endian(data + at + static_cast<std::int64_t>(local)), pages});
    return true;
}

// The part of a payload of `payload` bytes kept in its cell, the rest going
// to overflow pages.
std::uint64_t TreeWalk::local_size(std::uint64_t payload, bool index) const {
    const auto usable = static_cast<std::uint64_t>(reader_.usable_size());
    const std::uint64_t most = index ? (usable - 12) * 64 / 255 - 23 : usable - 35;
    if (payload <= most) return payload;
    const std::uint64_t least = (usable - 12) * 32 / 255 - 23;
    const std::uint64_t kept = least + (payload - least) % (usable - 4);
    return kept <= most ? kept : least;
}

// Counts the overflow pages of a cell of `cell_page`, each naming the
// next in its first 4 bytes, the last naming none.
void TreeWalk::follow(const Chain& chain, std::int64_t cell_page) {
    const auto said = [&](const char* what) {
        tally_.note("A cadeia de páginas de continuação de uma célula da página " +
                    std::to_string(cell_page) + " é mais " + what + " do que o seu conteúdo pede.");
    };
    std::int64_t page = chain.first;
    for (std::uint64_t i = 0; i < chain.pages; ++i) {
        if (page == 0) return said("curta");
        if (!tally_.count(page, "de continuação de uma célula da página", cell_page)) return;
        const unsigned char* data = reader_.page(page);
        if (data == nullptr) {
            tally_.note(page_text(page) + " está para lá do fim do ficheiro.");
            return;
        }
        page = big_endian(data);
    }
    if (page != 0) said("longa");
}

}  // namespace

PageTally::PageTally(std::int64_t page_count)
    : used_(static_cast<std::size_t>(std::max<std::int64_t>(page_count, 0)) + 1, false) {}

bool PageTally::count(std::int64_t page, const char* role, std::int64_t from) {
    if (page < 1 || page >= static_cast<std::int64_t>(used_.size())) {
        std::string by;  // (built by append: GCC 12 at -O3 warns wrongly of " " + string)
        if (from != 0) by.append(" ").append(std::to_string(from));
        note(page_text(page) + " (" + role + by + ") está fora do ficheiro.");
        return false;
    }
    if (used_[static_cast<std::size_t>(page)]) {
        if (twice_++ == 0) first_twice_ = page;
        return false;
    }
    used_[static_cast<std::size_t>(page)] = true;
    ++distinct_;
    return true;
}

std::int64_t PageTally::first_unused(std::int64_t except) const {
    for (std::size_t page = 1; page < used_.size(); ++page) {
        if (!used_[page] && static_cast<std::int64_t>(page) != except)
            return static_cast<std::int64_t>(page);
    }
    return 0;
}

PageReader::PageReader(sqlite3* db, std::string path, std::int64_t page_size,
                       std::int64_t block_bytes, std::size_t blocks)
    : path_(std::move(path)),
      page_size_(page_size),
      block_bytes_(std::max(page_size, block_bytes / page_size * page_size)),
      blocks_(std::max<std::size_t>(blocks, 1)) {
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file_) != SQLITE_OK ||
        file_ == nullptr || file_->pMethods == nullptr || page_size_ < 512) {
        throw EngineError(ErroMotor,
                          "Não foi possível ler o ficheiro da base de dados '" + path_ + "'.");
    }
    sqlite3_int64 size = 0;
    if (file_->pMethods->xFileSize(file_, &size) != SQLITE_OK)
        throw EngineError(ErroDisco, "Erro de disco ao aceder à base de dados '" + path_ + "'.");
    file_size_ = size;
    const unsigned char* first = page(1);
    usable_size_ = page_size_ - (first != nullptr ? first[20] : 0);
}

const unsigned char* PageReader::page(std::int64_t number) {
    if (number < 1 || number > pages_on_disk()) return nullptr;
    const std::int64_t offset = (number - 1) * page_size_;
    const std::int64_t first = offset / block_bytes_ * block_bytes_;
    return load(first).bytes.data() + (offset - first);
}

PageReader::Block& PageReader::load(std::int64_t first) {
    ++clock_;
    if (blocks_[recent_].first == first) {
        blocks_[recent_].last_use = clock_;
        return blocks_[recent_];
    }
    std::size_t oldest = 0;
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (blocks_[i].first == first) {
            recent_ = i;
            blocks_[i].last_use = clock_;
            return blocks_[i];
        }
        if (blocks_[i].last_use < blocks_[oldest].last_use) oldest = i;
    }
    if (interruption_requested() != 0)
        throw EngineError(ErroCancelado, "A operação foi interrompida.");
    Block& block = blocks_[oldest];
    block.first = -1;
    block.bytes.resize(static_cast<std::size_t>(block_bytes_));
    const auto amount = static_cast<int>(std::min(block_bytes_, file_size_ - first));
    ++reads_;
    if (file_->pMethods->xRead(file_, block.bytes.data(), amount, first) != SQLITE_OK)
        throw EngineError(ErroDisco, "Erro de disco ao aceder à base de dados '" + path_ + "'.");
    block.first = first;
    block.last_use = clock_;
    recent_ = oldest;
    return block;
}

void CountTreePages(PageReader& reader, const std::vector<std::int64_t>& roots, PageTally& tally) {
    if (reader.usable_size() < 480) {
        tally.note("O ficheiro reserva demasiados bytes em cada página.");
        return;
    }
    TreeWalk walk(reader, tally);
    for (const std::int64_t root : roots) {
        if (!tally.problem().empty()) return;
        if (tally.count(root, "raiz de uma árvore")) walk.walk(root);
    }
}

void CountFreeList(PageReader& reader, PageTally& tally) {
    const unsigned char* header = reader.page(1);
    if (header == nullptr) return;
    std::int64_t trunk = big_endian(header + 32);
    const std::int64_t declared = big_endian(header + 36);
    const std::int64_t most_leaves = (reader.usable_size() - 8) / 4;
    std::int64_t listed = 0;
    while (trunk != 0 && tally.problem().empty()) {
        if (tally.is_used(trunk) || listed > declared) {
            tally.note("A lista de páginas livres do ficheiro repete páginas.");
            return;
        }
        if (!tally.count(trunk, "da lista de páginas livres")) return;
        const unsigned char* data = reader.page(trunk);
        if (data == nullptr) {
            tally.note(page_text(trunk) + " está para lá do fim do ficheiro.");
            return;
        }
        const std::int64_t leaves = big_endian(data + 4);
        if (leaves > most_leaves) {
            tally.note("A página livre " + std::to_string(trunk) + " está danificada.");
            return;
        }
        for (std::int64_t i = 0; i < leaves; ++i)
            tally.count(big_endian(data + 8 + 4 * i), "da lista de páginas livres");
        listed += 1 + leaves;
        trunk = big_endian(data);
    }
    if (tally.problem().empty() && listed != declared) {
        tally.note("A lista de páginas livres tem " + std::to_string(listed) +
                   " páginas e o ficheiro diz " + std::to_string(declared) + ".");
    }
}

}  // namespace pezolva::engine::detail
