#include "word_list.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/save_names.h"
#include "common/word_list_syntax.h"
#include "files.h"
#include "lumospell/orthex.h"

namespace lumo::engine {

namespace platform = lumo::platform;

unsigned long split_piece(char* piece, uint8_t tag, WordTable& table, WordStore& store) {
    return static_cast<unsigned long>(lumo::common::split_word_list_piece(
        piece, std::strlen(piece), [&](const char* word, size_t len) {
            char* copy = store.place(word, len);
            if (copy != nullptr) table.lookup(copy, ModeInsert, tag);
        }));
}

int LoadWordList(const char* path, uint8_t tag, WordTable& table, WordStore& store,
                 WordStore& retired) {
    uint64_t size = 0;
    if (!platform::file_size(path, &size)) return 1;
    retired.take_from(store);
    if (size > SIZE_MAX - StoreSpareBytes - 1 ||
        !store.start(static_cast<size_t>(size) + StoreSpareBytes))
        return 1;
    table.set_word_block(store.first_block(), store.first_block_size());
    std::FILE* file = platform::open_file(path, "rb");
    if (file == nullptr) {
        store.release();
        return 1;
    }
    std::setvbuf(file, nullptr, _IOFBF, 32768);
    // Read in large blocks and cut into the same pieces a line reader
    // gives: up to and including the next LF, at most 1023 bytes.  Each is
    // split where it lies.  One load at a time: the engine is called from
    // one thread.
    static char block[LoadBlockBytes + 1];
    // Words wait a few places for their insertion while their home slots
    // are fetched; they go in in file order all the same.
    constexpr size_t Ahead = 8;
    struct Pending {
        const char* word;
        uint32_t hash;
    } ahead[Ahead];
    size_t waiting = 0;
    size_t oldest = 0;
    auto insert_oldest = [&] {
        table.lookup_hashed(ahead[oldest].word, ahead[oldest].hash, ModeInsert, tag);
        oldest = (oldest + 1) % Ahead;
        --waiting;
    };
    auto take = [&](const char* word, size_t len) {
        char* copy = store.place(word, len);
        if (copy == nullptr) return;
        const uint32_t hash = WordTable::hash_of(copy, len);
        table.prefetch(hash);
        if (waiting == Ahead) insert_oldest();
        ahead[(oldest + waiting) % Ahead] = Pending{copy, hash};
        ++waiting;
    };
    size_t begin = 0;
    size_t end = 0;
    bool more = true;
    bool failed = false;
    unsigned long words = 0;
    while (words <= LoadWordLimit) {
        if (more && end - begin < static_cast<size_t>(LoadPieceBytes)) {
            std::memmove(block, block + begin, end - begin);
            end -= begin;
            begin = 0;
            while (more && end < LoadBlockBytes) {
                const size_t got = std::fread(block + end, 1, LoadBlockBytes - end, file);
                end += got;
                if (got == 0) {
                    more = false;
                    failed = std::ferror(file) != 0;
                }
            }
        }
        if (begin == end) break;
        const size_t left = end - begin;
        const size_t most = left < static_cast<size_t>(LoadPieceBytes) ? left : LoadPieceBytes;
        const void* lf = std::memchr(block + begin, '\n', most);
        const size_t length =
            lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - (block + begin)) + 1
                          : most;
        // A piece cut short by a read error is lost, as a line reader loses it.
        if (failed && lf == nullptr && length == left && left < static_cast<size_t>(LoadPieceBytes))
            break;
        // A NUL inside the piece ends it there, as it ends a line read.
        words += static_cast<unsigned long>(
            lumo::common::split_word_list_piece(block + begin, length, take));
        begin += length;
    }
    while (waiting > 0) insert_oldest();
    std::fclose(file);
    return 0;
}

namespace {

bool write_bytes(std::FILE* file, const void* bytes, size_t len) {
    return std::fwrite(bytes, 1, len, file) == len;
}

void abandon_file(std::FILE* file) { std::fclose(file); }

platform::LockHandle lock_waiting(const char* path, bool exclusive) {
    return platform::lock_file(path, exclusive, SaveLockWaitMs);
}

}  // namespace

const SaveFileOps& system_save_file_ops() {
    static const SaveFileOps ops = {platform::create_new_file,    write_bytes,
                                    platform::close_written_file, abandon_file,
                                    platform::name_exists,        platform::remove_file,
                                    platform::rename_no_replace,  lock_waiting,
                                    platform::unlock_file};
    return ops;
}

SavePaths save_paths_for(const char* path, const platform::LeadByteSet& lead) {
    return lumo::common::save_paths_for(path, [&lead](unsigned char c) { return lead.is_lead(c); });
}

SavePaths platform_save_paths(const char* path, const platform::LeadByteSet& lead) {
    return lumo::common::native_save_paths(path,
                                           [&lead](unsigned char c) { return lead.is_lead(c); });
}

platform::LockHandle lock_user_dictionary(const char* path, const platform::LeadByteSet& lead,
                                          bool exclusive, const SaveFileOps& ops) {
    std::string target;
    if (path == nullptr || !platform::resolve_link(path, &target)) return platform::NoLock;
    return lumo::common::lock_user_dictionary(
        target.c_str(), [&lead](unsigned char c) { return lead.is_lead(c); }, exclusive, ops.lock);
}

namespace {

// ModeFind never changes the table.
bool knows(const WordTable& table, const char* word) {
    return const_cast<WordTable&>(table).lookup(word, ModeFind, WordTagLookupOnly) != LookupAbsent;
}

// One save: keeps the reason of the first step that failed, whatever the
// clean-up does to the last system error afterwards.
class SaveRun {
public:
    explicit SaveRun(const SaveFileOps& ops) : ops_(ops) {}
    ~SaveRun() {
        if (lock_ != platform::NoLock) ops_.unlock(lock_);
        if (error_ != 0) platform::set_last_system_error(error_);
    }
    SaveRun(const SaveRun&) = delete;
    SaveRun& operator=(const SaveRun&) = delete;

    uint16_t fail() {
        if (error_ == 0) error_ = platform::last_system_error();
        if (error_ == 0) error_ = platform::file_fault_error(platform::FileFault::NotAFile);
        return SpellErrUdrSave;
    }
    uint16_t fail(platform::FileFault fault) {
        if (error_ == 0) error_ = platform::file_fault_error(fault);
        return SpellErrUdrSave;
    }

    platform::LockHandle lock_ = platform::NoLock;

private:
    const SaveFileOps& ops_;
    int error_ = 0;
};

// Writes the words the session keeps and those the file gained since it
// was loaded: a main dictionary word drops out, as it always did.
bool write_words(std::FILE* file, const WordTable& table, WordTable* saved_since,
                 const SaveFileOps& ops) {
    auto put = [&](const char* word) {
        return ops.write(file, word, std::strlen(word)) && ops.write(file, "\r\n", 2);
    };
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        const char* word = table.word_at(slot);
        if (word == nullptr) continue;
        const uint8_t tag = table.tag_at(slot);
        // An ignore-always or change-always word of this session that the
        // file holds as a user word by now stays a user word there.
        const bool keep = tag == WordTagUser || (tag != WordTagMain && saved_since != nullptr &&
                                                 knows(*saved_since, word));
        if (keep && !put(word)) return false;
    }
    if (saved_since == nullptr) return true;
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        const char* word = saved_since->word_at(slot);
        if (word != nullptr && !knows(table, word) && !put(word)) return false;
    }
    return true;
}

}  // namespace

uint16_t SaveUserDictionary(const char* path, const WordTable& table,
                            const platform::LeadByteSet& lead, const SaveFileOps& ops) {
    SaveRun run(ops);
    std::string target;
    if (!platform::resolve_link(path, &target)) return run.fail();
    path = target.c_str();
    const SavePaths names = platform_save_paths(path, lead);
    const char* tmp = names.temporary.c_str();
    const char* bak = names.backup.c_str();
    // A dictionary that itself carries the temporary or the backup name
    // would be truncated or deleted by its own save.
    if (names.temporary == path || names.backup == path || names.lock == path ||
        platform::same_file(path, tmp) || platform::same_file(path, bak))
        return run.fail(platform::FileFault::NameClash);
    run.lock_ = ops.lock(names.lock.c_str(), true);
    if (run.lock_ == platform::NoLock) return run.fail();

    // What another program saved since this session loaded the file.
    std::unique_ptr<WordTable> saved_since;
    WordStore saved_store, saved_retired;
    if (ops.exists(path)) {
        saved_since.reset(new (std::nothrow) WordTable());
        if (!saved_since) return run.fail(platform::FileFault::NoMemory);
        platform::set_last_system_error(0);
        if (LoadWordList(path, WordTagUser, *saved_since, saved_store, saved_retired) != 0)
            return run.fail();
    }

    // A leftover of a killed save, or a link or FIFO planted in its place.
    ops.remove(tmp);
    std::FILE* file = ops.create(tmp);
    if (file == nullptr) {
        run.fail();
        ops.remove(tmp);
        return SpellErrUdrSave;
    }
    if (!write_words(file, table, saved_since.get(), ops)) {
        run.fail();
        ops.abandon(file);
        ops.remove(tmp);
        return SpellErrUdrSave;
    }
    bool ok = ops.close(file);
    if (ok && ops.exists(bak)) ok = ops.remove(bak);
    if (ok) ok = ops.rename(path, bak);
    if (ok) {
        if (ops.rename(tmp, path)) return 0;
        run.fail();
        ops.rename(bak, path);
    }
    run.fail();
    ops.remove(tmp);
    return SpellErrUdrSave;
}

}  // namespace lumo::engine
