// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/MetafileList.h"

#include "preview/PreviewError.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryFile>
#include <algorithm>

namespace {

QByteArray PictureBytes(const QPicture& picture) {
    return QByteArray(picture.data(), picture.size());
}

// Writes the bytes at the position. A file is flushed at once: its writes are buffered, and
// a full disk shows only when the buffer goes out.
bool WriteAll(QIODevice& stream, qint64 position, const QByteArray& bytes) {
    if (!stream.seek(position) || stream.write(bytes) != bytes.size())
        return false;
    auto* file = qobject_cast<QFileDevice*>(&stream);
    return !file || file->flush();
}

void Truncate(QIODevice& stream, qint64 size) {
    if (auto* buffer = qobject_cast<QBuffer*>(&stream))
        buffer->buffer().truncate(size);
    else
        static_cast<QFileDevice&>(stream).resize(size);
}

} // namespace

TMetafileList::TMetafileList(QObject* parent) : QObject(parent) {}

TMetafileList::~TMetafileList() = default;

std::unique_ptr<QIODevice> TMetafileList::MakeStream(bool tempFile) const {
    if (!tempFile) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->open(QIODevice::ReadWrite);
        return buffer;
    }
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/PPXXXXXX");
    if (!file->open())
        throw TPreviewError("Can not create a temporary file for the pages in " +
                            QDir::toNativeSeparators(QDir::tempPath()).toStdString() + ": " +
                            file->errorString().toStdString());
    // Qt may open the file without a name; asking for it gives the file its name in the
    // folder, where the pages can be seen under the control's prefix.
    file->fileName();
    return file;
}

qint64 TMetafileList::PageEnd(int index) const {
    return index + 1 < Count() ? offsets_[index + 1] : stream_->size();
}

QByteArray TMetafileList::ReadRange(qint64 from, qint64 size) const {
    stream_->seek(from);
    QByteArray bytes = stream_->read(size);
    if (bytes.size() != size)
        throw TPreviewError("Can not read a page back: " + stream_->errorString().toStdString());
    return bytes;
}

void TMetafileList::WriteAt(qint64 position, const QByteArray& bytes) {
    if (!WriteAll(*stream_, position, bytes))
        throw TPreviewError("Can not store the page: " + stream_->errorString().toStdString());
}

const QPicture& TMetafileList::Page(int index) const {
    if (cachedIndex_ != index) {
        const QByteArray bytes = ReadRange(offsets_[index], PageEnd(index) - offsets_[index]);
        cached_ = QPicture();
        cached_.setData(bytes.constData(), static_cast<uint>(bytes.size()));
        cachedIndex_ = index;
    }
    return cached_;
}

void TMetafileList::Add(const QPicture& picture) {
    std::unique_ptr<QIODevice> made;
    if (!stream_)
        made = MakeStream(useTempFile_);
    QIODevice& stream = made ? *made : *stream_;
    const qint64 offset = stream.size();
    // The picture's own bytes, without a copy: a long document writes them all.
    const QByteArray bytes = QByteArray::fromRawData(picture.data(), picture.size());
    if (!WriteAll(stream, offset, bytes)) {
        const std::string reason = stream.errorString().toStdString();
        // The stream keeps ending with the last whole page.
        Truncate(stream, offset);
        throw TPreviewError("Can not store the page: " + reason);
    }
    if (made)
        stream_ = std::move(made);
    offsets_.push_back(offset);
    emit ListChanged();
}

void TMetafileList::MoveTail(qint64 from, qint64 to) {
    const qint64 size = stream_->size() - from;
    constexpr qint64 chunk = 1 << 20;
    if (to > from) {
        // Backwards, so that no byte is overwritten before it has moved.
        for (qint64 left = size; left > 0;) {
            const qint64 count = std::min(chunk, left);
            left -= count;
            WriteAt(to + left, ReadRange(from + left, count));
        }
    } else if (to < from) {
        for (qint64 done = 0; done < size;) {
            const qint64 count = std::min(chunk, size - done);
            WriteAt(to + done, ReadRange(from + done, count));
            done += count;
        }
        Truncate(*stream_, to + size);
    }
}

void TMetafileList::Replace(int index, const QPicture& picture) {
    const QByteArray bytes = PictureBytes(picture);
    const qint64 start = offsets_[index];
    const qint64 end = PageEnd(index);
    const qint64 delta = bytes.size() - (end - start);
    MoveTail(end, end + delta);
    WriteAt(start, bytes);
    for (std::size_t later = index + 1; later < offsets_.size(); ++later)
        offsets_[later] += delta;
    if (cachedIndex_ == index)
        cached_ = picture;
    emit PageChanged(index);
}

void TMetafileList::Trim() {
    if (auto* buffer = qobject_cast<QBuffer*>(stream_.get()))
        buffer->buffer().squeeze();
}

void TMetafileList::Clear() {
    if (offsets_.empty() && !stream_)
        return;
    stream_.reset();
    offsets_.clear();
    cached_ = QPicture();
    cachedIndex_ = -1;
    emit ListChanged();
}

void TMetafileList::SetUseTempFile(bool useTempFile) {
    if (useTempFile == useTempFile_)
        return;
    if (stream_) {
        std::unique_ptr<QIODevice> other = MakeStream(useTempFile);
        constexpr qint64 chunk = 1 << 20;
        const qint64 size = stream_->size();
        for (qint64 done = 0; done < size;) {
            const QByteArray bytes = ReadRange(done, std::min(chunk, size - done));
            if (!WriteAll(*other, done, bytes))
                throw TPreviewError("Can not store the pages: " +
                                    other->errorString().toStdString());
            done += bytes.size();
        }
        // The old stream goes, and with it a temporary file no longer used.
        stream_ = std::move(other);
    }
    useTempFile_ = useTempFile;
}
