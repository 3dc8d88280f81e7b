// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPicture>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;

// The page store. Pages are saved one after another into one stream, in memory or in a
// temporary file, so that a long document costs its recorded bytes and not an object per
// page; one page at a time is loaded back into the cached picture.
class TMetafileList : public QObject {
    Q_OBJECT

public:
    explicit TMetafileList(QObject* parent = nullptr);
    ~TMetafileList() override;

    int Count() const { return static_cast<int>(offsets_.size()); }
    // Page index (from 0), loaded into the cache unless the cache already holds it.
    const QPicture& Page(int index) const;
    // Saves the picture as a new last page. Throws TPreviewError when the stream cannot
    // be made or written; the list is then as it was.
    void Add(const QPicture& picture);
    // Rewrites a page in place; the pages after it move by the difference in size.
    void Replace(int index, const QPicture& picture);
    // Gives back the room a stream in memory keeps for growing; for a list complete for now.
    void Trim();
    // Empties the stream and the list and deletes the temporary file.
    void Clear();

    bool UseTempFile() const { return useTempFile_; }
    // Moves the pages into a stream of the other kind; a temporary file no longer used is
    // deleted. Throws TPreviewError when the new stream cannot be made.
    void SetUseTempFile(bool useTempFile);

signals:
    void ListChanged();
    void PageChanged(int index);

private:
    std::unique_ptr<QIODevice> MakeStream(bool tempFile) const;
    QByteArray ReadRange(qint64 from, qint64 size) const;
    void WriteAt(qint64 position, const QByteArray& bytes);
    // Moves the bytes from `from` to the end of the stream so that they start at `to`.
    void MoveTail(qint64 from, qint64 to);
    qint64 PageEnd(int index) const;

    std::unique_ptr<QIODevice> stream_;
    std::vector<qint64> offsets_;
    mutable QPicture cached_;
    mutable int cachedIndex_ = -1;
    bool useTempFile_ = false;
};
