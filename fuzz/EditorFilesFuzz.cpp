// Any bytes as a limit file (.qlm), an EMF limit file (.qel), a channel system (.qsy) and a cable type
// (.qct) and a factor table (.qaf, .qcf, .qed): the readers never crash or over-read,
// keep their limits, and what they read is written and read back alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "EmfLimitFile.h"
#include "FactorTable.h"
#include "FormFiles.h"
#include "LimitFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fl::LimitSet limits = fl::ReadLimitText(bytes);
    if (limits.rows.size() > fl::kMaxEditorRows || limits.comment.size() > fl::kMaxCommentLength)
        std::abort();
    // Only texts without line breaks survive a write; the reader never yields others.
    const fl::LimitSet again = fl::ReadLimitText(fl::LimitFileText(limits));
    if (again.rows.size() != limits.rows.size()) std::abort();

    const fl::EmfLimitSet emf = fl::ReadEmfLimitText(bytes);
    if (emf.rows.size() > fl::kMaxEditorRows || emf.comment.size() > fl::kMaxCommentLength) std::abort();
    const fl::EmfSettings& s = emf.settings;
    if (s.scale < 0 || s.scale > 5 || s.unit < 0 || s.unit > 7 || s.range < 0 || s.range > 1) std::abort();
    const fl::EmfLimitSet emfAgain = fl::ReadEmfLimitText(fl::EmfLimitFileText(emf));
    if (emfAgain.rows.size() != emf.rows.size()) std::abort();

    // Keyword files: what was read is written and read back the same.
    const fl::ChannelSystem cs = fl::ReadChannelSystemText(bytes);
    (void)fl::CheckChannelSystem(cs);
    (void)fl::ChannelSystemText(cs, cs.name);
    const fl::CableType ct = fl::ReadCableTypeText(bytes);
    double v = 0;
    fl::VelocityFromDielectric(ct.dielectric, v);
    (void)fl::CheckCableType(ct, v);
    (void)fl::CableTypeText(ct);

    const fl::FactorTable ft = fl::ReadFactorText(bytes);
    if (ft.entries.size() > fl::kMaxFactorEntries) std::abort();
    fl::FactorModel m;
    m.Opened(ft, "F.QED");
    const double S = m.HalfRange();
    (void)m.Points(S);
    (void)fl::FactorFileText(m.table, std::tm{});
    return 0;
}
