#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

// The values of one attribute, each a byte string in its syntax's wire form, in the order
// they were added. Sixteen bytes: one value of up to 15 bytes lies inside the list itself;
// more or longer values lie in one block that copies of the list share until one of them
// changes (an object class lineage is held once for every object of the class).
class ValueList {
public:
    class const_iterator {
    public:
        // Values come out by value, as views, so it is a C++20 random access iterator but
        // only an input iterator to the older algorithms.
        using iterator_concept = std::random_access_iterator_tag;
        using iterator_category = std::input_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const ValueList* list, std::size_t at) : list_(list), at_(at) {}
        std::string_view operator*() const { return (*list_)[at_]; }
        std::string_view operator[](difference_type n) const {
            return (*list_)[std::size_t(difference_type(at_) + n)];
        }
        const_iterator& operator++() { return ++at_, *this; }
        const_iterator operator++(int) { return {list_, at_++}; }
        const_iterator& operator--() { return --at_, *this; }
        const_iterator operator--(int) { return {list_, at_--}; }
        const_iterator& operator+=(difference_type n) {
            at_ = std::size_t(difference_type(at_) + n);
            return *this;
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
        friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
        friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return difference_type(a.at_) - difference_type(b.at_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.at_ == b.at_;
        }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) {
            return a.at_ <=> b.at_;
        }

    private:
        const ValueList* list_ = nullptr;
        std::size_t at_ = 0;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;
    using size_type = std::size_t;

    ValueList() noexcept { clearBytes(); }
    ValueList(std::initializer_list<std::string_view> values);
    explicit ValueList(const std::vector<std::string>& values);
    ValueList(const ValueList& other) noexcept;
    ValueList(ValueList&& other) noexcept;
    ValueList& operator=(const ValueList& other) noexcept;
    ValueList& operator=(ValueList&& other) noexcept;
    ~ValueList() { release(); }

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    std::string_view operator[](std::size_t i) const;
    std::string_view at(std::size_t i) const;
    std::string_view front() const { return (*this)[0]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    bool contains(std::string_view value) const;
    void push_back(std::string_view value);
    // Removes every value equal to `value`; how many went.
    std::size_t erase(std::string_view value);
    void clear() noexcept;

    std::vector<std::string> strings() const;
    // Whether this list and `other` hold their values in the same storage (tests).
    bool sharesStorageWith(const ValueList& other) const;

    friend bool operator==(const ValueList& a, const ValueList& b);

private:
    // A block: its header, then the end offset of each value, then the values' bytes.
    struct Block {
        std::atomic<std::uint32_t> refs;
        std::uint32_t count;
        std::uint32_t places; // values it has room for
        std::uint32_t room;   // bytes it has room for
        std::uint32_t* ends() { return reinterpret_cast<std::uint32_t*>(this + 1); }
        const std::uint32_t* ends() const {
            return reinterpret_cast<const std::uint32_t*>(this + 1);
        }
        char* bytes() { return reinterpret_cast<char*>(ends() + places); }
        const char* bytes() const { return reinterpret_cast<const char*>(ends() + places); }
        std::uint32_t used() const { return count == 0 ? 0 : ends()[count - 1]; }
    };
    static constexpr std::size_t kInlineBytes = 15;
    static constexpr unsigned char kInlineTag = 0x80; // ORed with the inline value's length

    bool isInline() const { return (raw_[kInlineBytes] & kInlineTag) != 0; }
    std::size_t inlineSize() const { return raw_[kInlineBytes] & 0x7F; }
    Block* block() const;
    void clearBytes() noexcept;
    void release() noexcept;
    void assign(const std::string_view* values, std::size_t count, std::size_t extraPlaces,
                std::size_t extraRoom);
    static Block* allocate(std::size_t places, std::size_t room);

    alignas(void*) unsigned char raw_[kInlineBytes + 1];
};
