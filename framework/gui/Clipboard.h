#pragma once
// The clipboard: text, bitmaps, Windows metafiles and enhanced metafiles on Qt's
// clipboard. Metafiles travel as their file bytes (image/x-wmf: a placeable Windows
// metafile; image/x-emf: an enhanced metafile) with a PNG rendering beside them
// (image/png) so that programs that know no metafile can paste a picture; bitmaps as
// Qt images; text as UTF-8 text.
//
// Each change replaces what the clipboard held, unless it is made between Open and
// Close: then the formats added there go onto the clipboard together at Close.

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QMimeData;

// Clipboard formats.
constexpr unsigned CF_TEXT = 1;
constexpr unsigned CF_BITMAP = 2;
constexpr unsigned CF_METAFILEPICT = 3;
constexpr unsigned CF_DIB = 8;
constexpr unsigned CF_UNICODETEXT = 13;
constexpr unsigned CF_ENHMETAFILE = 14;
// Any picture the class library can read back (a bitmap or either metafile).
constexpr unsigned CF_PICTURE = 0xC001;

// The MIME types of the metafile formats.
constexpr const char* kMimeWindowsMetafile = "image/x-wmf";
constexpr const char* kMimeEnhancedMetafile = "image/x-emf";
constexpr const char* kMimePng = "image/png";

class TClipboard : public TPersistent {
    ORV_CLASS(TClipboard, TPersistent)
public:
    TClipboard();
    ~TClipboard() override;

    // Groups several formats into one clipboard content (counted; Close commits).
    void Open();
    void Close();
    // Empties the clipboard.
    void Clear();

    bool HasFormat(unsigned format) const;
    // The formats on the clipboard, in the order above.
    std::vector<unsigned> Formats() const;
    int FormatCount() const { return int(Formats().size()); }

    // The text ("" when the clipboard holds none); setting replaces the content.
    std::string AsText() const;
    void SetAsText(const std::string& value);
    // The bytes of a metafile format (CF_METAFILEPICT, CF_ENHMETAFILE), or of the PNG
    // rendering (CF_PICTURE); empty when absent.
    std::vector<uint8_t> GetAsBytes(unsigned format) const;

    // Puts a TBitmap, TMetafile (enhanced or Windows, by its Enhanced), TPicture (its
    // graphic) or TStrings (its text) on the clipboard. Other sources raise the class
    // library's assignment error.
    void AssignFrom(const TPersistent* source) override;

    // How many contents this program has put on the clipboard so far (one per Close of
    // an Open group, or per format set outside a group).
    int CommitCount() const { return FCommitCount; }

protected:
    // Reads the clipboard into a TPicture, TBitmap, TMetafile or TStrings; a format the
    // destination cannot take raises EInvalidGraphic "Unsupported clipboard format".
    void CopyInto(TPersistent* dest) const override;

private:
    QMimeData* Adding();
    void Commit();
    const QMimeData* Current() const;

    int FOpenCount = 0;
    int FCommitCount = 0;
    std::unique_ptr<QMimeData> FPending;
};

// The program's clipboard.
TClipboard* Clipboard();
