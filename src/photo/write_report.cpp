#include "photo/write_report.h"

namespace vantora {

const char* writeProblemText(WriteProblem problem)
{
    switch (problem) {
    case WriteProblem::cannotOpen: return "ファイルを開けません";
    case WriteProblem::inUse: return "他のプログラムが使用中です";
    case WriteProblem::unsupportedVersion: return "Exif 2.1以降ではありません";
    case WriteProblem::readOnly: return "読み取り専用です";
    case WriteProblem::folderReadOnly: return "フォルダーに書き込めません";
    case WriteProblem::diskFull: return "ディスクの空き容量が足りません";
    case WriteProblem::changed: return "書き込み中に他のプログラムが変更しました";
    case WriteProblem::noRoom: return "Exif情報に位置情報を入れる余地がありません";
    case WriteProblem::noImageEnd: return "画像データが途中で切れています";
    case WriteProblem::damaged: return "Exif情報が壊れています";
    case WriteProblem::staleTrailer: return "画像の後ろの付加情報が壊れています";
    case WriteProblem::xmpNotEditable: return "XMP情報を更新できません";
    case WriteProblem::writeError: break;
    }
    return "書き込みに失敗しました";
}

std::string writeFailureMessage(const WriteSummary& summary)
{
    std::string text = "次の" + std::to_string(summary.failures.size()) +
                       "個の画像には位置情報を付加できませんでした。画像は元のままです。\n";
    if (summary.written > 0)
        text += "ほかの" + std::to_string(summary.written) + "個の画像には位置情報を付加しました。\n";
    text += "\n";
    for (std::size_t i = 0; i < summary.failures.size() && i < kListedFailures; ++i) {
        const WriteFailure& failure = summary.failures[i];
        const auto name = failure.path.filename().u8string();
        text += std::string(name.begin(), name.end()) + "（" + writeProblemText(failure.problem) + "）\n";
    }
    if (summary.failures.size() > kListedFailures)
        text += "ほか" + std::to_string(summary.failures.size() - kListedFailures) + "個\n";
    return text;
}

}  // namespace vantora
