#include "lexicon.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "channel.h"

namespace lumo::ranker {

namespace {

constexpr uint32_t NoNode = 0;
// Longest key a walk takes: its states must fit a 64-bit word with room
// for a shift by two.
constexpr size_t WalkKeyMax = 60;

size_t capitals(const char* word, size_t len) {
    size_t n = 0;
    for (size_t i = 0; i < len; ++i)
        n += lumo::common::is_capital(static_cast<unsigned char>(word[i]));
    return n;
}

bool node_order(uint8_t a, uint8_t b) {
    const unsigned ca = label_code(a), cb = label_code(b);
    return ca != cb ? ca < cb : a < b;
}

// The walk runs the automaton of "within e edits of a prefix of the key"
// one bit per key position (bit j: the first j bytes are matched), for e =
// 0 to 3, plus the half-done exchanges, on 64-bit words.
constexpr unsigned EditsMax = 3;
struct State {
    uint64_t r[EditsMax + 1];
    uint64_t t[EditsMax + 1];  // t[e]: an exchange begun from r[e - 1], awaiting its second byte
};

struct Walk {
    const unsigned char* key;
    size_t len;
    uint8_t max;
    uint8_t far_band;
    uint64_t all;  // bits 0..len
    uint64_t accept;
    uint64_t eq[256];                  // bit j + 1 set where key[j] is that byte
    // The letters that continue the key from the live positions of a
    // depth's window of seven (j - depth + 3 = 0..6, key[j]), by the
    // window's low four and high three bits; other bytes count for none.
    uint32_t window_low[WalkKeyMax + 4][16];
    uint32_t window_high[WalkKeyMax + 4][8];
    bool others;                       // the key holds a byte of code 28
    uint8_t limit[LexiconKeyMax + 2];  // most edits allowed at each depth
    std::vector<Match>* out;
    std::vector<uint8_t>* seen;
    State states[LexiconKeyMax + 2];
};

// Below depth exact_end the path holds no edit, below one_end at most one,
// after that up to max.
void start_walk(Walk& w, const char* key, size_t len, unsigned max, size_t exact_end,
                size_t one_end) {
    w.key = reinterpret_cast<const unsigned char*>(key);
    w.len = len;
    w.max = static_cast<uint8_t>(std::min(max, EditsMax));
    w.far_band = 0;
    w.all = (uint64_t{2} << len) - 1;
    w.accept = uint64_t{1} << len;
    std::memset(w.eq, 0, sizeof w.eq);
    w.others = false;
    uint32_t code_bit[WalkKeyMax + 12] = {};  // code_bit[j + 3] for key[j]
    for (size_t j = 0; j < len; ++j) {
        const auto label = static_cast<unsigned char>(key[j]);
        w.eq[label] |= uint64_t{2} << j;
        const unsigned code = label_code(label);
        code_bit[j + 3] = code < 28 ? 1u << code : 0u;
        w.others = w.others || code >= 28;
    }
    // A walk goes no deeper than three past the key.
    for (size_t d = 0; d <= len + 3 && d < WalkKeyMax + 4; ++d) {
        w.window_low[d][0] = w.window_high[d][0] = 0;
        for (unsigned v = 1; v < 16; ++v)
            w.window_low[d][v] = w.window_low[d][v & (v - 1)] | code_bit[d + __builtin_ctz(v)];
        for (unsigned v = 1; v < 8; ++v)
            w.window_high[d][v] =
                w.window_high[d][v & (v - 1)] | code_bit[d + 4 + __builtin_ctz(v)];
    }
    for (size_t d = 0; d < LexiconKeyMax + 2; ++d)
        w.limit[d] = d < exact_end ? 0 : d < one_end ? std::min<uint8_t>(1, w.max) : w.max;
    State& s = w.states[0];
    s.r[0] = 1;
    s.r[1] = 3 & w.all;
    s.r[2] = 7 & w.all;
    s.r[3] = 15 & w.all;
    s.t[0] = s.t[1] = s.t[2] = s.t[3] = 0;
}

// The state b one byte (label) past the state a.
inline void advance(const Walk& w, const State& a, State& b, uint8_t label) {
    const uint64_t m = w.eq[label];
    b.r[0] = (a.r[0] << 1) & m;
    b.t[0] = 0;
    b.r[1] = (((a.r[1] << 1) & m) | a.r[0] | (a.r[0] << 1) | (b.r[0] << 1) | (a.t[1] & (m << 1))) &
             w.all;
    b.t[1] = (a.r[0] << 2) & m;
    b.r[2] = (((a.r[2] << 1) & m) | a.r[1] | (a.r[1] << 1) | (b.r[1] << 1) | (a.t[2] & (m << 1))) &
             w.all;
    b.t[2] = (a.r[1] << 2) & m;
    if (w.max >= 3) {
        b.r[3] =
            (((a.r[3] << 1) & m) | a.r[2] | (a.r[2] << 1) | (b.r[2] << 1) | (a.t[3] & (m << 1))) &
            w.all;
        b.t[3] = (a.r[2] << 2) & m;
    }
}

// Moves from the state at depth d - 1 along label; returns whether the
// node is worth descending.
inline bool step(Walk& w, size_t d, uint8_t label, uint8_t cap) {
    const uint8_t limit = std::min(w.limit[d], cap);
    advance(w, w.states[d - 1], w.states[d], label);
    return w.states[d].r[limit] != 0;
}

// The edits from the word of state b to the whole key; more than max when
// beyond reach.  Asked only at nodes that end a word.
inline uint8_t distance_at(const Walk& w, const State& b) {
    for (uint8_t e = 0; e <= w.max; ++e)
        if ((b.r[e] & w.accept) != 0) return e;
    return static_cast<uint8_t>(w.max + 1);
}

// The states only grow with the edits allowed (r[e] within r[e + 1]), so
// that the key's end out of reach at cap rules the node out before its
// entry is read: most nodes are passed over by that one, rarely taken, test.
inline void report_state(Walk& w, uint32_t entry, const State& b, uint8_t cap) {
    if ((b.r[cap] & w.accept) == 0 || entry == NoEntry) return;
    const uint8_t distance = distance_at(w, b);
    if (w.seen != nullptr) {
        if ((*w.seen)[entry]) return;
        (*w.seen)[entry] = 1;
    }
    w.out->push_back(Match{entry, distance});
}

inline void report(Walk& w, uint32_t entry, size_t d, uint8_t cap) {
    report_state(w, entry, w.states[d], cap);
}

inline void enter(const FrozenNode* nodes, uint32_t node, size_t depth, Walk& w, uint8_t cap);

// Bits set in a child mask, inline: without a popcount instruction in the
// target the builtin is a library call, and the walk asks it at every node.
inline unsigned bit_count(uint32_t v) {
    v = v - ((v >> 1) & 0x55555555u);
    v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
    return (((v + (v >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24;
}

// The child of n with label, or nullptr.
inline const FrozenNode* frozen_child(const FrozenNode* nodes, const FrozenNode& n, uint8_t label) {
    const unsigned code = label_code(label);
    if ((n.letters >> code & 1u) == 0) return nullptr;
    const FrozenNode* c = nodes + n.first + bit_count(n.letters & ((1u << code) - 1));
    if (code < 28) return c;
    for (const FrozenNode* end = nodes + n.first + n.children; c < end; ++c)
        if (c->label == label) return c;
    return nullptr;
}

// cap: the most edits worth spending below here; one under a node with
// only rarer words than far_band below it.
inline void visit(const FrozenNode* nodes, uint32_t c, size_t d, Walk& w, uint8_t cap) {
    if (nodes[c].band < w.far_band) cap = std::min<uint8_t>(cap, 1);
    if (!step(w, d, nodes[c].label, cap)) return;
    report(w, nodes[c].entry, d, cap);
    if (d < LexiconKeyMax) enter(nodes, c, d, w, cap);
}

constexpr uint32_t Letters = (1u << 28) - 1;

// Steps the children of node picked by their letters (and the children of
// other bytes when tail).
void descend_frozen(const FrozenNode* nodes, uint32_t node, size_t depth, Walk& w, uint8_t cap,
                    uint32_t chosen, bool tail) {
    const FrozenNode& n = nodes[node];
    const size_t d = depth + 1;
    const uint32_t first = n.first;
    uint32_t at[28];
    size_t count = 0;
    // The children's own blocks are fetched while the first ones are
    // stepped: the walk waits on memory more than it computes.
    for (uint32_t bits = chosen; bits != 0; bits &= bits - 1) {
        const uint32_t c = first + bit_count(n.letters & ((bits & (0u - bits)) - 1));
        __builtin_prefetch(nodes + nodes[c].first);
        at[count++] = c;
    }
    for (size_t k = 0; k < count; ++k) visit(nodes, at[k], d, w, cap);
    if (tail)
        for (uint32_t c = first + bit_count(n.letters & Letters); c < first + n.children; ++c)
            visit(nodes, c, d, w, cap);
}

// Other bytes share one code: with no edit left, each label of the key is
// looked for itself.  An exchange awaiting its second byte (t[e], bit j,
// wanting key[j - 2]) needs no look of its own: it began from r[e - 1] two
// bytes back, which r[e] holds one byte back, so key[j - 2] is wanted anyway.
void descend_labels(const FrozenNode* nodes, const FrozenNode& n, size_t depth, Walk& w,
                    uint8_t cap, uint8_t limit) {
    const State& s = w.states[depth];
    uint8_t labels[2 * LexiconKeyMax];
    size_t count = 0;
    for (uint64_t bits = s.r[limit] & (w.accept - 1); bits != 0; bits &= bits - 1)
        labels[count++] = w.key[__builtin_ctzll(bits)];
    for (size_t k = 0; k < count; ++k) {
        if (std::find(labels, labels + k, labels[k]) != labels + k) continue;
        const FrozenNode* c = frozen_child(nodes, n, labels[k]);
        if (c != nullptr) visit(nodes, static_cast<uint32_t>(c - nodes), depth + 1, w, cap);
    }
}

// Picks the children of node worth a step, inline: about half the nodes a
// walk reaches have none, and those are left without a call.
inline void enter(const FrozenNode* nodes, uint32_t node, size_t depth, Walk& w, uint8_t cap) {
    const FrozenNode& n = nodes[node];
    const State& s = w.states[depth];
    const uint8_t limit = std::min(w.limit[depth + 1], cap);
    // No edit left to spend: only children that continue the key from a
    // live position (or finish an exchange) can stay within reach.
    const bool exact = (limit == 0) | (s.r[limit != 0 ? limit - 1 : 0] == 0);
    if (exact & w.others) {
        descend_labels(nodes, n, depth, w, cap, limit);
        return;
    }
    // The letters worth a step, as a mask of codes met with the node's
    // own, made without a branch the processor could not foresee: a live
    // position j lies within three of the depth (j - depth + 3 in 0..6).
    const uint64_t window = ((s.r[limit] << 3) >> depth) & 127u;
    const uint32_t want = w.window_low[depth][window & 15u] | w.window_high[depth][window >> 4] |
                          (static_cast<uint32_t>(exact) - 1u);
    const uint32_t chosen = n.letters & want & Letters;
    // Children of other bytes follow the letters; none continues a key
    // without such bytes.
    const bool tail = (n.letters >> 28) != 0 && !exact;
    if ((chosen != 0) | tail) descend_frozen(nodes, node, depth, w, cap, chosen, tail);
}

// A node the walk reached, with its state.
struct Reached {
    State state;
    uint32_t node;
    uint8_t cap;
};

// Room for the nodes of one depth; what it holds is written before it is
// read, and lost when it grows.
struct Depth {
    std::unique_ptr<Reached[]> at;
    size_t room = 0;
    void make_room(size_t n) {
        if (n <= room) return;
        room = std::max(n, 2 * room);
        at.reset(new Reached[room]);
    }
};

// Scratch of the level walk, kept from word to word.
struct Levels {
    Depth now, next;
    std::vector<uint32_t> chosen, parent;
};

// The walk of a key without other bytes, one depth at a time: the nodes
// of a depth are gathered in one array, and each child is stepped and
// kept or dropped by arithmetic on the array's end.  Walked the other way,
// one node and then its children, the branches of the walk (which
// children, whether any is left, whether the last was stepped) went the
// processor's guess wrong at about every other node.  What it finds is the
// same, in another order.
void walk_levels(NodeView trie, Walk& w) {
    const FrozenNode* nodes = trie.data;
    static thread_local Levels scratch;
    Levels& l = scratch;
    l.now.make_room(64);
    l.now.at[0] = Reached{w.states[0], 0, w.max};
    size_t count = 1;
    for (size_t depth = 0; count != 0 && depth < LexiconKeyMax; ++depth) {
        const size_t d = depth + 1;
        // The letters worth a step at each node (as in enter), and how
        // many children that makes.
        l.chosen.resize(count + 1);
        l.parent.resize(count + 1);
        size_t parents = 0, children = 0;
        bool tails = false;
        for (size_t i = 0; i < count; ++i) {
            const Reached& at = l.now.at[i];
            const FrozenNode& n = nodes[at.node];
            __builtin_prefetch(nodes + n.first);
            const uint8_t limit = std::min(w.limit[d], at.cap);
            const State& s = at.state;
            const bool exact = (limit == 0) | (s.r[limit != 0 ? limit - 1 : 0] == 0);
            const uint64_t window = ((s.r[limit] << 3) >> depth) & 127u;
            const uint32_t want = w.window_low[depth][window & 15u] |
                                  w.window_high[depth][window >> 4] |
                                  (static_cast<uint32_t>(exact) - 1u);
            const uint32_t chosen = n.letters & want & Letters;
            l.chosen[parents] = chosen;
            l.parent[parents] = static_cast<uint32_t>(i);
            parents += chosen != 0;
            children += bit_count(chosen);
            tails = tails | ((n.letters >> 28) != 0 && !exact);
        }
        size_t room = children + 1;
        if (tails)
            for (size_t i = 0; i < count; ++i) room += nodes[l.now.at[i].node].children;
        // A trie holds each node at one depth; more at a depth than it has
        // nodes is a damaged index whose blocks of children are shared, and
        // whose paths would multiply without end: the walk stops.
        if (room > trie.size + 1) return;
        l.next.make_room(room);
        // The next depth, children of each parent in turn; the last
        // parent's letters are followed by none.
        l.chosen[parents] = 0;
        size_t kept = 0;
        auto step_to = [&](uint32_t c, const Reached& from) {
            const FrozenNode& child = nodes[c];
            Reached& to = l.next.at[kept];
            const uint8_t caps[2] = {from.cap, std::min<uint8_t>(from.cap, 1)};
            const uint8_t cap = caps[child.band < w.far_band];
            advance(w, from.state, to.state, child.label);
            to.node = c;
            to.cap = cap;
            const bool live = to.state.r[std::min(w.limit[d], cap)] != 0;
            __builtin_prefetch(nodes + child.first);
            // Rarely true: the key's end within reach.
            if (live & ((to.state.r[cap] & w.accept) != 0))
                report_state(w, child.entry, to.state, cap);
            kept += live;
        };
        size_t p = 0;
        uint32_t bits = l.chosen[0];
        for (size_t k = 0; k < children; ++k) {
            const Reached& from = l.now.at[l.parent[p]];
            const FrozenNode& n = nodes[from.node];
            const uint32_t low = bits & (0u - bits);
            const uint32_t c = n.first + bit_count(n.letters & (low - 1));
            bits ^= low;
            const bool last = bits == 0;
            p += last;
            bits |= l.chosen[p] & (0u - static_cast<uint32_t>(last));
            step_to(c, from);
        }
        // Children of other bytes (rare), for the nodes where an edit is
        // left: none continues a key without such bytes.
        if (tails)
            for (size_t i = 0; i < count; ++i) {
                const Reached from = l.now.at[i];
                const FrozenNode& n = nodes[from.node];
                const uint8_t limit = std::min(w.limit[d], from.cap);
                if ((n.letters >> 28) == 0 || from.state.r[limit != 0 ? limit - 1 : 0] == 0 ||
                    limit == 0)
                    continue;
                for (uint32_t c = n.first + bit_count(n.letters & Letters);
                     c < n.first + n.children; ++c)
                    step_to(c, from);
            }
        std::swap(l.now, l.next);
        count = kept;
    }
}

// A frozen trie's walk from its root.
void walk_frozen(NodeView nodes, Walk& w) {
    if (w.others)
        enter(nodes.data, 0, 0, w, w.max);
    else
        walk_levels(nodes, w);
}

// The depths the backward walk allows one edit in when the forward walk
// allows one in the first part of the key.  The parts are counted in the
// word's letters, and a word up to max shorter than the key would have the
// two overlap (and an edit there count in both): the backward part is cut
// by that much, and the forward part is about as long.
size_t other_part(size_t len, size_t part, unsigned max) {
    return len - part > max ? len - part - max : 0;
}

}  // namespace

struct GrowingWalk {
    static void descend(const GrowingTrie& t, uint32_t node, size_t depth, Walk& w) {
        const size_t d = depth + 1;
        for (uint32_t c = t.nodes_[node].child; c != NoNode; c = t.nodes_[c].sibling) {
            if (!step(w, d, t.nodes_[c].label, w.max)) continue;
            report(w, t.nodes_[c].entry, d, w.max);
            if (d < LexiconKeyMax) descend(t, c, d, w);
        }
    }
};

GrowingTrie::GrowingTrie() : nodes_{Node{NoNode, NoNode, NoEntry, 0}}, root_(256, NoNode) {}

uint32_t GrowingTrie::child_of(uint32_t node, uint8_t label) const {
    if (node == 0) return root_[label];
    for (uint32_t c = nodes_[node].child; c != NoNode; c = nodes_[c].sibling)
        if (nodes_[c].label == label) return c;
    return NoNode;
}

uint32_t GrowingTrie::insert(const char* key, size_t len) {
    if (len == 0) return NoNode;
    uint32_t node = 0;
    for (size_t i = 0; i < len; ++i) {
        const auto label = static_cast<uint8_t>(key[i]);
        uint32_t next = child_of(node, label);
        if (next == NoNode) {
            nodes_.push_back(Node{NoNode, nodes_[node].child, NoEntry, label});
            next = static_cast<uint32_t>(nodes_.size() - 1);
            nodes_[node].child = next;
            if (node == 0) root_[label] = next;
        }
        node = next;
    }
    return node;
}

uint32_t GrowingTrie::find(const char* key, size_t len) const {
    uint32_t node = 0;
    for (size_t i = 0; i < len && node != NoNode; ++i)
        node = child_of(node, static_cast<uint8_t>(key[i]));
    return len == 0 ? NoNode : node;
}

std::vector<FrozenNode> GrowingTrie::freeze() const {
    // Each node's children form one block, and the blocks below a child
    // follow its block depth first, so that a walk reads forward through
    // memory.
    std::vector<FrozenNode> out;
    out.reserve(nodes_.size());
    out.push_back(FrozenNode{0, nodes_[0].entry, 0, 0, 0, 0});
    struct Pending {
        uint32_t frozen;
        uint32_t growing;
    };
    std::vector<Pending> stack{{0, 0}};
    std::vector<uint32_t> kids;
    while (!stack.empty()) {
        const Pending at = stack.back();
        stack.pop_back();
        kids.clear();
        for (uint32_t c = nodes_[at.growing].child; c != NoNode; c = nodes_[c].sibling)
            kids.push_back(c);
        std::sort(kids.begin(), kids.end(), [&](uint32_t a, uint32_t b) {
            return node_order(nodes_[a].label, nodes_[b].label);
        });
        const auto first = static_cast<uint32_t>(out.size());
        out[at.frozen].first = first;
        out[at.frozen].children = static_cast<uint16_t>(kids.size());
        for (uint32_t c : kids) {
            out[at.frozen].letters |= 1u << label_code(nodes_[c].label);
            out.push_back(FrozenNode{0, nodes_[c].entry, 0, 0, nodes_[c].label, 0});
        }
        for (size_t k = kids.size(); k-- > 0;)
            stack.push_back(Pending{first + static_cast<uint32_t>(k), kids[k]});
    }
    return out;
}

void GrowingTrie::within(const char* key, size_t len, unsigned max, std::vector<Match>& out) const {
    if (len == 0 || len > WalkKeyMax) return;
    Walk w;
    start_walk(w, key, len, max, 0, 0);
    w.out = &out;
    w.seen = nullptr;
    GrowingWalk::descend(*this, 0, 0, w);
}

uint32_t frozen_find(NodeView nodes, const char* key, size_t len) {
    if (nodes.empty() || len == 0) return 0;
    const FrozenNode* node = nodes.data;
    for (size_t i = 0; i < len && node != nullptr; ++i)
        node = frozen_child(nodes.data, *node, static_cast<uint8_t>(key[i]));
    return node != nullptr ? static_cast<uint32_t>(node - nodes.data) : 0;
}

uint32_t sound_hash(const std::string& sound) {
    uint32_t h = 2166136261u;
    for (const char c : sound) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    return h;
}

namespace {

bool sound_order(const SoundEntry& a, const SoundEntry& b) {
    return a.key != b.key ? a.key < b.key : a.entry < b.entry;
}

}  // namespace

uint32_t Lexicon::new_entry(const char* word, size_t len) {
    const auto id = static_cast<uint32_t>(entries_.size());
    entries_.push_back(Entry{static_cast<uint32_t>(arena_.size()), 0, 0, 0, 0, 0});
    arena_.insert(arena_.end(), word, word + len);
    arena_.push_back('\0');
    seen_.push_back(0);
    return id;
}

void Lexicon::build(const std::vector<std::pair<const char*, size_t>>& words) {
    GrowingTrie forward;
    GrowingTrie backward;
    forward.reserve(words.size() * 3);
    backward.reserve(words.size() * 4);
    entries_.reserve(words.size());
    char key[LexiconKeyMax];
    for (const auto& [word, len] : words) {
        if (len == 0 || len > LexiconKeyMax) continue;
        for (size_t i = 0; i < len; ++i) key[i] = fold(word[i]);
        const uint32_t node = forward.insert(key, len);
        if (forward.entry_at(node) != NoEntry) {
            // Keep the spelling with the fewest capitals ("the", not "The")
            // for words shown as the dictionary spells them.
            char* kept = arena_.data() + entries_[forward.entry_at(node)].form;
            if (capitals(word, len) < capitals(kept, len)) std::memcpy(kept, word, len);
            continue;
        }
        const uint32_t id = new_entry(word, len);
        forward.entry_at(node) = id;
        std::reverse(key, key + len);
        backward.entry_at(backward.insert(key, len)) = id;
    }
    built_forward_ = forward.freeze();
    built_backward_ = backward.freeze();
    built_sounds_.clear();
    std::string keys[2];
    for (uint32_t id = 0; id < entries_.size(); ++id) {
        const size_t count = sound_keys(form(id), std::strlen(form(id)), keys);
        for (size_t k = 0; k < count; ++k)
            if (keys[k].size() >= SoundKeyMin)
                built_sounds_.push_back(SoundEntry{sound_hash(keys[k]), id});
    }
    std::sort(built_sounds_.begin(), built_sounds_.end(), sound_order);
    sounds_ = built_sounds_.data();
    sound_count_ = built_sounds_.size();
    adopted_.reset();
    built_common_.clear();
    built_common_backward_.clear();
    common_ = common_backward_ = NodeView{};
    forward_ = NodeView{built_forward_.data(), built_forward_.size()};
    backward_ = NodeView{built_backward_.data(), built_backward_.size()};
}

bool Lexicon::adopt(FrozenParts parts, std::vector<Entry> entries, std::vector<char> arena) {
    // One pass over the nodes and sounds: every child block and entry lies
    // within its table, so that no walk can leave the data however the
    // file was damaged.
    auto fits = [&](const FrozenNode* trie, size_t size) {
        if (trie == nullptr || size == 0) return false;
        for (size_t i = 0; i < size; ++i) {
            const FrozenNode& n = trie[i];
            if (n.children != 0 && (n.first <= i || n.first > size || n.children > size - n.first))
                return false;
            if (n.entry != NoEntry && n.entry >= entries.size()) return false;
            if (bit_count(n.letters) > n.children) return false;
        }
        return true;
    };
    const bool no_common = parts.common_nodes == 0 && parts.common_backward_nodes == 0;
    bool ok = fits(parts.forward, parts.forward_nodes) &&
              fits(parts.backward, parts.backward_nodes) &&
              (no_common || (fits(parts.common, parts.common_nodes) &&
                             fits(parts.common_backward, parts.common_backward_nodes))) &&
              !arena.empty() && arena.back() == '\0' &&
              (parts.sounds != nullptr || parts.sound_count == 0);
    for (size_t i = 0; ok && i < parts.sound_count; ++i)
        ok = parts.sounds[i].entry < entries.size() &&
             (i == 0 || !sound_order(parts.sounds[i], parts.sounds[i - 1]));
    for (size_t i = 0; ok && i < entries.size(); ++i) ok = entries[i].form < arena.size();
    if (!ok) return false;
    for (Entry& e : entries) e.user = e.blocked = 0;
    built_forward_.clear();
    built_backward_.clear();
    built_sounds_.clear();
    added_sounds_.clear();
    adopted_ = std::move(parts.owner);
    forward_ = NodeView{parts.forward, parts.forward_nodes};
    backward_ = NodeView{parts.backward, parts.backward_nodes};
    built_common_.clear();
    built_common_backward_.clear();
    common_ = no_common ? NodeView{} : NodeView{parts.common, parts.common_nodes};
    common_backward_ =
        no_common ? NodeView{} : NodeView{parts.common_backward, parts.common_backward_nodes};
    common_min_count_ = parts.common_min_count;
    common_min_len_ = parts.common_min_len;
    sounds_ = parts.sounds;
    sound_count_ = parts.sound_count;
    entries_ = std::move(entries);
    arena_ = std::move(arena);
    seen_.assign(entries_.size(), 0);
    return true;
}

void Lexicon::sound_alike(const std::string& sound, size_t limit,
                          std::vector<uint32_t>& out) const {
    if (sound.size() < SoundKeyMin) return;
    const uint32_t key = sound_hash(sound);
    const SoundEntry* end = sounds_ + sound_count_;
    const SoundEntry* lo = std::lower_bound(sounds_, end, SoundEntry{key, 0}, sound_order);
    const SoundEntry* hi = std::lower_bound(lo, end, SoundEntry{key + 1, 0}, sound_order);
    if (key == 0xFFFFFFFFu) hi = end;
    size_t found = static_cast<size_t>(hi - lo);
    for (const SoundEntry& s : added_sounds_) found += s.key == key;
    if (found > limit) return;
    for (const SoundEntry* s = lo; s < hi; ++s) out.push_back(s->entry);
    for (const SoundEntry& s : added_sounds_)
        if (s.key == key) out.push_back(s.entry);
}

bool Lexicon::sounds_as(uint32_t hash, uint32_t entry) const {
    if (std::binary_search(sounds_, sounds_ + sound_count_, SoundEntry{hash, entry}, sound_order))
        return true;
    for (const SoundEntry& s : added_sounds_)
        if (s.key == hash && s.entry == entry) return true;
    return false;
}

uint32_t Lexicon::find(const char* key, size_t len) const {
    if (len == 0 || len > LexiconKeyMax) return NoEntry;
    const uint32_t node = frozen_find(forward_, key, len);
    if (node != 0) {
        if (forward_[node].entry != NoEntry) return forward_[node].entry;
    }
    const uint32_t added = added_.find(key, len);
    return added != NoNode ? added_.entry_at(added) : NoEntry;
}

uint32_t Lexicon::add(const char* word, size_t len) {
    if (len == 0 || len > LexiconKeyMax) return NoEntry;
    char key[LexiconKeyMax];
    for (size_t i = 0; i < len; ++i) key[i] = fold(word[i]);
    const uint32_t known = find(key, len);
    if (known != NoEntry) {
        // Words no list counts are passed over beyond one edit in the
        // frozen tries; once added, such a word is walked with the added
        // words too.
        if (frequency_band(entries_[known]) == 0 && added_.find(key, len) == NoNode)
            added_.entry_at(added_.insert(key, len)) = known;
        return known;
    }
    const uint32_t node = added_.insert(key, len);
    const uint32_t id = new_entry(word, len);
    added_.entry_at(node) = id;
    std::string keys[2];
    const size_t count = sound_keys(word, len, keys);
    for (size_t k = 0; k < count; ++k)
        if (keys[k].size() >= SoundKeyMin)
            added_sounds_.push_back(SoundEntry{sound_hash(keys[k]), id});
    return id;
}

void Lexicon::within(const char* key, size_t len, unsigned max_distance, std::vector<Match>& out,
                     uint8_t far_band) const {
    if (len == 0 || len > WalkKeyMax || max_distance == 0) return;
    const size_t first = out.size();
    Walk w;
    w.out = &out;
    w.seen = &seen_;
    if (!forward_.empty()) {
        if (max_distance < 2 || len < 3) {
            start_walk(w, key, len, max_distance, 0, 0);
            w.far_band = far_band;
            walk_frozen(forward_, w);
        } else if (max_distance >= 3) {
            // Three edits leave at most one in one of two parts of the word.
            const size_t half = len > 3 ? (len - 3) / 2 : 0;
            char reversed[LexiconKeyMax];
            std::reverse_copy(key, key + len, reversed);
            start_walk(w, key, len, max_distance, 0, half);
            w.far_band = far_band;
            walk_frozen(forward_, w);
            start_walk(w, reversed, len, max_distance, 0, other_part(len, half, max_distance));
            w.far_band = far_band;
            walk_frozen(backward_, w);
        } else {
            // Split the key in two: a word within two edits has at most one
            // of them in the first part (the forward walk), or none in the
            // second (the backward walk).  Any split point finds them all;
            // the forward walk costs more, so it gets the longer part.
            const size_t half = (len * 7 + 6) / 12;
            char reversed[LexiconKeyMax];
            std::reverse_copy(key, key + len, reversed);
            start_walk(w, key, len, max_distance, 0, half);
            w.far_band = far_band;
            walk_frozen(forward_, w);
            start_walk(w, reversed, len, max_distance, len - half, len - half);
            w.far_band = far_band;
            walk_frozen(backward_, w);
        }
    }
    start_walk(w, key, len, max_distance, 0, 0);
    GrowingWalk::descend(added_, 0, 0, w);
    for (size_t i = first; i < out.size(); ++i) seen_[out[i].entry] = 0;
}

namespace {

// Children lie after their parent, so one pass from the end sees every
// node's children before the node.
void mark_subtrees(std::vector<FrozenNode>& nodes, const std::vector<Entry>& entries) {
    for (size_t i = nodes.size(); i-- > 0;) {
        FrozenNode& n = nodes[i];
        uint8_t band = n.entry != NoEntry ? frequency_band(entries[n.entry]) : 0;
        for (uint32_t c = n.first; c < n.first + n.children; ++c)
            band = std::max(band, nodes[c].band);
        n.band = band;
    }
}

}  // namespace

uint8_t count_band(uint32_t count) {
    if (count == 0) return 1;
    // Four bands to each power of e.
    const double b = 2.0 + 4.0 * std::log(static_cast<double>(count) + 1.0);
    return static_cast<uint8_t>(std::min(b, 255.0));
}

uint8_t frequency_band(const Entry& e) {
    if (e.count == 0) return e.level != 0 ? 1 : 0;
    return count_band(e.count);
}

void Lexicon::mark_bands() {
    mark_subtrees(built_forward_, entries_);
    mark_subtrees(built_backward_, entries_);
}

void Lexicon::build_common(uint32_t min_count, size_t min_len) {
    GrowingTrie forward, backward;
    char key[LexiconKeyMax];
    for (uint32_t id = 0; id < entries_.size(); ++id) {
        if (entries_[id].count < min_count) continue;
        const char* word = form(id);
        const size_t len = std::strlen(word);
        if (len < min_len || len > LexiconKeyMax) continue;
        for (size_t i = 0; i < len; ++i) key[i] = fold(word[i]);
        forward.entry_at(forward.insert(key, len)) = id;
        std::reverse(key, key + len);
        backward.entry_at(backward.insert(key, len)) = id;
    }
    built_common_ = forward.freeze();
    built_common_backward_ = backward.freeze();
    mark_subtrees(built_common_, entries_);
    mark_subtrees(built_common_backward_, entries_);
    common_ = NodeView{built_common_.data(), built_common_.size()};
    common_backward_ = NodeView{built_common_backward_.data(), built_common_backward_.size()};
    common_min_count_ = min_count;
    common_min_len_ = min_len;
}

void Lexicon::within_common(const char* key, size_t len, unsigned max_distance,
                            std::vector<Match>& out) const {
    if (len == 0 || len > WalkKeyMax || max_distance == 0 || common_.size < 2 ||
        common_backward_.empty())
        return;
    // At most one edit in one of two parts, as for the whole lexicon.
    const size_t first = out.size();
    const size_t half = len > 3 ? (len - 3) / 2 : 0;
    char reversed[LexiconKeyMax];
    std::reverse_copy(key, key + len, reversed);
    Walk w;
    w.out = &out;
    w.seen = &seen_;
    start_walk(w, key, len, max_distance, 0, half);
    walk_frozen(common_, w);
    start_walk(w, reversed, len, max_distance, 0, other_part(len, half, max_distance));
    walk_frozen(common_backward_, w);
    for (size_t i = first; i < out.size(); ++i) seen_[out[i].entry] = 0;
}

void Lexicon::within_exhaustive(const char* key, size_t len, unsigned max_distance,
                                std::vector<Match>& out) const {
    if (len == 0 || len > WalkKeyMax || max_distance == 0 || forward_.empty()) return;
    Walk w;
    w.out = &out;
    w.seen = nullptr;
    start_walk(w, key, len, max_distance, 0, 0);
    walk_frozen(forward_, w);
}

}  // namespace lumo::ranker
