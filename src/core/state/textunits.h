#pragma once
// The units of a book's text in one run of memory that can let go of the pages a pass is
// done with. A large text lives in an unnamed file in the text folder, mapped into the
// reader's memory: the reader holds only the pages it is using, and the kernel keeps the
// others in its page cache while memory is plentiful, and writes them out and drops them
// when it is not. Without a text folder, on a file system held in memory, or wherever
// such a file cannot be made, the units stay in the reader's own memory.
//
// Either way the units are one array, so a scan still sees the whole text as one view.

#include <cstddef>
#include <string>
#include <string_view>

namespace tibbo::core {

// The folder for large texts' files, set once before the first book is read. Empty (the
// default) keeps every text in memory. False when the folder cannot take them: it is
// missing, or its file system keeps its files in memory anyway.
bool setTextFolder(const std::string &folder);
// Texts at least this many bytes long go to a file when there is a text folder.
inline constexpr size_t kTextFileBytes = size_t{4} << 20;

template <typename Unit> class TextUnits
{
  public:
    TextUnits() = default;
    TextUnits(const TextUnits &other);
    TextUnits &operator=(const TextUnits &other);
    TextUnits(TextUnits &&other) noexcept;
    TextUnits &operator=(TextUnits &&other) noexcept;
    ~TextUnits();

    const Unit *data() const { return m_data; }
    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    std::basic_string_view<Unit> view() const { return {m_data, m_size}; }
    Unit operator[](size_t i) const { return m_data[i]; }
    // The units are in a file, and release lets their pages go.
    bool inFile() const { return m_file >= 0; }

    // Room for this many units. Room never written takes no memory.
    void reserve(size_t units);
    // Lets go of all units and their room.
    void clear();
    void push_back(Unit u)
    {
        if (m_size == m_capacity)
            grow(m_size + 1);
        m_data[m_size++] = u;
    }
    // Makes `count` more units at the end and returns them to be written.
    Unit *extend(size_t count);
    // Adds `count` units at the end. A text in a file takes them with a write to the file:
    // a page written through the mapping is first read, which for a new page of the file
    // means the kernel fills it with zeros (a third of a large book's load).
    void append(const Unit *units, size_t count);
    // Gives back the room beyond the units (a text that is whole).
    void trimRoom();

    // Lets the pages that lie wholly within units from .. to go from the reader's memory.
    // The units stay as they are: a page is read back from the file when it is next used.
    // Nothing happens to units held in memory.
    void release(size_t from, size_t to) const;

  private:
    void grow(size_t units);
    // Moves the units to new room of `units`, in a file when `inFile`.
    bool moveTo(size_t units, bool inFile);
    void free();

    Unit *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
    size_t m_mappedBytes = 0;
    int m_file = -1;
};

extern template class TextUnits<char16_t>;
extern template class TextUnits<char32_t>;

} // namespace tibbo::core
