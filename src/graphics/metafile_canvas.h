#pragma once
// A canvas that records into a metafile, with the screen as reference device: the picture's
// frame is the size set on the metafile (SetWidth/SetHeight) when the canvas is created, or the
// drawn area when none was set. Finishing (Finish or the destructor) writes the header and the
// end record and loads the result into the metafile.
#include "graphics/canvas.h"

#include <QString>
#include <vector>

class TMetafile;

class TMetafileCanvas : public TCanvas {
public:
    explicit TMetafileCanvas(TMetafile& metafile);
    // createdBy and description go into the header's description ("createdBy\0description\0\0").
    TMetafileCanvas(TMetafile& metafile, const QString& createdBy, const QString& description);
    ~TMetafileCanvas() override;

    // Completes the metafile; drawing afterwards is ignored. Calling it again does nothing.
    void Finish();
    bool Finished() const { return finished_; }
    // Whether drawing was refused because the metafile reached its largest size.
    bool Truncated() const { return truncated_; }

protected:
    void WriteRecord(std::span<const uint8_t> record) override;
    uint64_t RecordRoom() const override;

private:
    TMetafile& metafile_;
    int mmWidth_;
    int mmHeight_;
    std::u16string description_;
    std::vector<uint8_t> records_;
    uint32_t recordCount_ = 0;
    bool finished_ = false;
    bool truncated_ = false;
};
