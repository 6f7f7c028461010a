#include "word_list.h"

#include <cstring>
#include <memory>
#include <new>

#include "files.h"
#include "lumospell/orthex.h"

namespace lumo::engine {

namespace platform = lumo::platform;

unsigned long split_piece(char* piece, uint8_t tag, WordTable& table, WordStore& store) {
    unsigned long count = 0;
    unsigned char* p = reinterpret_cast<unsigned char*>(piece);
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (*p < 0x20) break;
        unsigned char* start = p;
        while (*p > 0x20 && *p != ',') ++p;
        const size_t len = static_cast<size_t>(p - start);
        const bool at_end = (*p == '\0');
        if (!at_end) *p++ = '\0';
        char* copy = store.place(reinterpret_cast<char*>(start), len);
        if (copy != nullptr) table.lookup(copy, ModeInsert, tag);
        ++count;
        if (at_end || *p == '\0') break;
    }
    return count;
}

int LoadWordList(const char* path, uint8_t tag, WordTable& table, WordStore& store,
                 WordStore& retired) {
    uint64_t size = 0;
    if (!platform::file_size(path, &size)) return 1;
    retired.take_from(store);
    if (size > SIZE_MAX - StoreSpareBytes - 1 || !store.start(static_cast<size_t>(size) + StoreSpareBytes))
        return 1;
    std::FILE* file = platform::open_file(path, "rb");
    if (file == nullptr) {
        store.release();
        return 1;
    }
    std::setvbuf(file, nullptr, _IOFBF, 32768);
    char piece[LoadPieceBytes + 1];
    unsigned long words = 0;
    while (words <= LoadWordLimit && std::fgets(piece, sizeof piece, file) != nullptr) {
        words += split_piece(piece, tag, table, store);
    }
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

namespace {

SavePaths names_in(const std::string& folder, const char* base, size_t base_len) {
    SavePaths names;
    names.temporary = folder + "~~$LUMOSP$.TMP";
    names.backup = folder + std::string(base, base_len) + ".BAK";
    names.lock = folder + "~~$LUMOSP$.LCK";
    return names;
}

}  // namespace

SavePaths save_paths_for(const char* path, const platform::LeadByteSet& lead) {
    const size_t len = std::strlen(path);
    size_t dir_start = 0;
    if (len >= 2 && path[1] == ':') dir_start = 2;
    // The name begins after the last separator, not counting trail bytes.
    size_t name_start = dir_start;
    for (size_t i = dir_start; i < len; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (lead.is_lead(c) && i + 1 < len) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/') name_start = i + 1;
    }
    size_t base_end = len;
    for (size_t i = name_start; i < len; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (lead.is_lead(c) && i + 1 < len) {
            ++i;
            continue;
        }
        if (c == '.') base_end = i;
    }
    return names_in(std::string(path, name_start), path + name_start, base_end - name_start);
}

SavePaths platform_save_paths(const char* path, const platform::LeadByteSet& lead) {
#ifdef _WIN32
    return save_paths_for(path, lead);
#else
    (void)lead;
    const char* slash = std::strrchr(path, '/');
    const char* name = slash != nullptr ? slash + 1 : path;
    const char* dot = std::strrchr(name, '.');
    const size_t base_len = dot != nullptr ? static_cast<size_t>(dot - name) : std::strlen(name);
    return names_in(std::string(path, static_cast<size_t>(name - path)), name, base_len);
#endif
}

platform::LockHandle lock_user_dictionary(const char* path, const platform::LeadByteSet& lead,
                                          bool exclusive, const SaveFileOps& ops) {
    std::string target;
    if (path == nullptr || !platform::resolve_link(path, &target)) return platform::NoLock;
    return ops.lock(platform_save_paths(target.c_str(), lead).lock.c_str(), exclusive);
}

namespace {

// ModeFind never changes the table.
bool knows(const WordTable& table, const char* word) {
    return const_cast<WordTable&>(table).lookup(word, ModeFind, WordTagLookupOnly) !=
           LookupAbsent;
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
        const bool keep =
            tag == WordTagUser ||
            (tag != WordTagMain && saved_since != nullptr && knows(*saved_since, word));
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
