// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/rar_walk.h"

#include "archive/rar_names.h"

namespace tarvelo::archive::rar {
namespace {

// What one block tells the walk.
enum class Next
{
    Continue,
    Stop,
};

class BlockWalk
{
public:
    BlockWalk(ReadWindow& window, const common::CodePage& oemCodePage, WalkListener& listener)
        : m_window(window), m_oemCodePage(oemCodePage), m_listener(listener)
    {
    }

    void run()
    {
        std::uint64_t at = kMarkBlock.size();
        while (const auto next = readBlock(at)) at = *next;
    }

private:
    // Reads the block at offset at; the offset of the next one, or nothing to stop.
    std::optional<std::uint64_t> readBlock(std::uint64_t at)
    {
        const auto start = m_window.bytesAt(at, kBlockHeaderSize);
        if (!start) return std::nullopt;
        const BlockHeader header = decodeBlockHeader(start->first<kBlockHeaderSize>());
        if (header.headSize < fixedPartSize(header))
            throwDamaged("block header shorter than its fixed part");
        const auto block = m_window.bytesAt(at, header.headSize);
        if (!block) return std::nullopt;
        const std::uint64_t dataAt = at + header.headSize;
        if (act(header, *block, dataAt) == Next::Stop) return std::nullopt;
        const std::uint64_t data = dataSize(header, *block);
        if (data > m_window.size() - dataAt) return std::nullopt;
        return dataAt + data;
    }

    Next act(const BlockHeader& header, Bytes block, std::uint64_t dataAt)
    {
        switch (header.headType) {
        case kMainHead:
            return archiveHeader(header, block);
        case kFileHead:
            fileHeader(header, block, dataAt);
            return Next::Continue;
        case kEndArcHead:
            return Next::Stop;
        default:
            return Next::Continue;
        }
    }

    Next archiveHeader(const BlockHeader& header, Bytes block)
    {
        MainHead head = decodeMainHead(header, block);
        head.header.ArcComment = commentText(head.commentBlock);
        m_listener.archiveHeader(std::move(head.header));
        return header.has(kMainHeadPassword) ? Next::Stop : Next::Continue;
    }

    void fileHeader(const BlockHeader& header, Bytes block, std::uint64_t dataAt)
    {
        std::optional<FileHead> head = decodeFileHead(header, block);
        if (!head) throwDamaged("file name runs past its block header");
        RarEntry& entry = head->entry;
        const DecodedText name = decodeFileName(head->name, header.headFlags, entry.HostOs,
                                                m_oemCodePage, m_nameScratch);
        entry.FileName = name.text;
        entry.FileNameLineSafe = name.lineSafe;
        if (!head->commentBlock.empty()) {
            m_commentScratch = commentText(head->commentBlock);
            entry.FileComment = m_commentScratch;
        }
        entry.DataPos = static_cast<std::int64_t>(dataAt) + 1;
        m_listener.fileEntry(entry);
    }

    // Packed comments stay empty: reading them would mean unpacking.
    std::string commentText(Bytes commentBlock) const
    {
        const auto text = storedComment(commentBlock);
        return text ? m_oemCodePage.toUtf8(*text) : std::string();
    }

    ReadWindow& m_window;
    const common::CodePage& m_oemCodePage;
    WalkListener& m_listener;
    std::string m_nameScratch; // reused: most names need no copy, the rest no new buffer
    std::string m_commentScratch;
};

} // namespace

void walkBlocks(ReadWindow& window, const common::CodePage& oemCodePage, WalkListener& listener)
{
    BlockWalk(window, oemCodePage, listener).run();
}

} // namespace tarvelo::archive::rar
