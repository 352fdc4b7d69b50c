#include "scripts/command_script.h"

#include "common/number_text.h"
#include "tables/table_parser.h"

#include <algorithm>
#include <array>
#include <optional>

namespace byteloom {

namespace {

struct CommandForms
{
    std::string_view name;
    // Each form spells its arguments: N a number, S a string, V a name.
    std::array<std::string_view, 4> forms;
};

constexpr std::array kCommands{
    CommandForms{"JMP", {"N", "NS", "NN", "NNS"}},
    CommandForms{"HDR", {"N"}},
    CommandForms{"VAR", {"VV"}},
    CommandForms{"ADDTBL", {"SV"}},
    CommandForms{"ACTIVETBL", {"V"}},
    CommandForms{"SMA", {"S"}},
    CommandForms{"W16", {"N", "VN"}},
    CommandForms{"W24", {"N", "VN"}},
    CommandForms{"W32", {"N", "VN"}},
    CommandForms{"WLB", {"N", "VN"}},
    CommandForms{"WHB", {"N", "VN"}},
    CommandForms{"WBB", {"N", "VN"}},
    CommandForms{"WUB", {"N", "VN"}},
    CommandForms{"WHW", {"N", "VN"}},
    CommandForms{"CREATEPTR", {"VSNN"}},
    CommandForms{"WRITE", {"V", "VN"}},
    CommandForms{"PTRTBL", {"VNNV"}},
    CommandForms{"PTRLIST", {"VSV"}},
    CommandForms{"AUTOWRITE", {"VS"}},
    CommandForms{"DISABLE", {"VS"}},
    CommandForms{"EMBTYPE", {"SNN"}},
    CommandForms{"EMBSET", {"N"}},
    CommandForms{"EMBWRITE", {"N"}},
    CommandForms{"EMBPTRTBL", {"VNV"}},
    CommandForms{"STRTYPE", {"S"}},
    CommandForms{"PASCALLEN", {"N"}},
    CommandForms{"FIXEDLENGTH", {"NN"}},
    CommandForms{"STRINGALIGN", {"N"}},
    CommandForms{"FILL", {"N"}},
    CommandForms{"SETTARGETFILE", {"S"}},
    CommandForms{"SETPTRFILE", {"S"}},
    CommandForms{"INSERTBINARY", {"SNN"}},
    CommandForms{"ENDIANSWAP", {"S"}},
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

std::string_view TrimmedStart(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return line.substr(i);
}

// Reads "name(arg, arg)" after the "#"; whatever follows the closing parenthesis is a note.
class CommandReader
{
public:
    explicit CommandReader(std::string_view text)
        : text_(text)
    {}

    std::optional<std::string> Read(ScriptStep &step)
    {
        while (at_ < text_.size() && IsNameChar(text_[at_]))
            step.name.push_back(text_[at_++]);
        if (step.name.empty())
            return "A command must have a name after \"#\"";
        SkipBlanks();
        if (!Take('('))
            return "#" + step.name + " needs its arguments in parentheses";
        SkipBlanks();
        if (Take(')'))
            return std::nullopt;
        for (;;) {
            SkipBlanks();
            ScriptArgument argument;
            if (auto error = Argument(argument))
                return error;
            step.arguments.push_back(std::move(argument));
            SkipBlanks();
            if (Take(')'))
                return std::nullopt;
            if (!Take(','))
                return "#" + step.name + ": expected \",\" or \")\" after argument "
                       + std::to_string(step.arguments.size());
        }
    }

private:
    void SkipBlanks()
    {
        while (at_ < text_.size() && IsBlank(text_[at_]))
            ++at_;
    }
    bool Take(char c)
    {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    std::optional<std::string> Argument(ScriptArgument &argument)
    {
        if (Take('"')) {
            const std::size_t close = text_.find('"', at_);
            if (close == std::string_view::npos)
                return std::string("A string argument has no closing quote");
            argument.kind = ScriptArgument::Kind::String;
            argument.text = std::string(text_.substr(at_, close - at_));
            at_ = close + 1;
            return std::nullopt;
        }
        if (at_ < text_.size() && IsNameStart(text_[at_])) {
            argument.kind = ScriptArgument::Kind::Name;
            while (at_ < text_.size() && IsNameChar(text_[at_]))
                argument.text.push_back(text_[at_++]);
            return std::nullopt;
        }
        return Number(argument);
    }
    std::optional<std::string> Number(ScriptArgument &argument)
    {
        const bool hex = Take('$');
        const bool negative = Take('-');
        const int base = hex ? 16 : 10;
        const std::size_t start = at_;
        while (at_ < text_.size() && DigitValue(text_[at_], base) >= 0)
            ++at_;
        const std::string_view digits = text_.substr(start, at_ - start);
        const std::size_t first = start - (hex ? 1 : 0) - (negative ? 1 : 0);
        const std::string_view written = text_.substr(first, at_ - first);
        if (digits.empty())
            return "Expected a number ($hex or decimal), a \"string\" or a name, not \""
                   + std::string(text_.substr(first, 20)) + "\"";
        // Offsets, sizes and counts of a script stay far from the limits of the arithmetic.
        const auto value = ParseWholeOffset(digits, base);
        if (digits.size() > 16 || !value || *value > kLargestScriptNumber)
            return "The number " + std::string(written.substr(0, 24))
                   + " is too large: a script's numbers are at most $10000000000";
        argument.kind = ScriptArgument::Kind::Number;
        argument.number = negative ? -*value : *value;
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::string FormOf(const ScriptStep &step)
{
    std::string form;
    for (const ScriptArgument &argument : step.arguments)
        form.push_back(argument.kind == ScriptArgument::Kind::Number   ? 'N'
                       : argument.kind == ScriptArgument::Kind::String ? 'S'
                                                                       : 'V');
    return form;
}

std::string Spelled(std::string_view form)
{
    std::string spelled;
    for (const char c : form) {
        if (!spelled.empty())
            spelled += ", ";
        spelled += c == 'N' ? "number" : c == 'S' ? "\"string\"" : "name";
    }
    return "(" + spelled + ")";
}

std::optional<std::string> CheckForm(const ScriptStep &step)
{
    const auto known = std::find_if(kCommands.begin(), kCommands.end(), [&](const auto &command) {
        return command.name == step.name;
    });
    if (known == kCommands.end())
        return "Unknown command #" + step.name;
    const std::string form = FormOf(step);
    std::string allowed;
    for (const std::string_view candidate : known->forms) {
        if (candidate.empty())
            continue;
        if (candidate == form)
            return std::nullopt;
        allowed += (allowed.empty() ? "" : " or ") + Spelled(candidate);
    }
    return "#" + step.name + " takes " + allowed + ", not " + Spelled(form);
}


} // namespace

std::vector<std::string_view> ScriptLines(std::string_view stored)
{
    const std::string_view text = stored.starts_with("\xEF\xBB\xBF") ? stored.substr(3) : stored;
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

int ScriptStep::LineAt(std::size_t position) const
{
    const auto after = std::upper_bound(
        lineStarts.begin(), lineStarts.end(), position, [](std::size_t at, const auto &start) {
            return at < start.first;
        });
    return after == lineStarts.begin() ? line : std::prev(after)->second;
}

ParsedCommandScript ParseCommandScript(std::string_view stored)
{
    ParsedCommandScript parsed;
    parsed.utf8 = stored.starts_with("\xEF\xBB\xBF") || LooksLikeUtf8(stored);
    ScriptStep *run = nullptr;
    int number = 0;
    for (const std::string_view line : ScriptLines(stored)) {
        ++number;
        const std::string_view trimmed = TrimmedStart(line);
        if (trimmed.starts_with("//"))
            continue;
        if (!trimmed.starts_with('#')) {
            if (line.empty())
                continue;
            if (!run) {
                run = &parsed.steps.emplace_back();
                run->line = number;
                run->isText = true;
            }
            run->lineStarts.emplace_back(run->text.size(), number);
            run->text += line;
            continue;
        }
        run = nullptr;
        ScriptStep step;
        step.line = number;
        auto error = CommandReader(trimmed.substr(1)).Read(step);
        if (!error)
            error = CheckForm(step);
        if (error)
            parsed.errors.push_back({number, *error});
        else
            parsed.steps.push_back(std::move(step));
    }
    return parsed;
}

bool IsCommandScript(std::string_view stored)
{
    for (const std::string_view line : ScriptLines(stored)) {
        const std::string_view trimmed = TrimmedStart(line);
        if (!trimmed.empty() && !trimmed.starts_with("//"))
            return trimmed.starts_with('#');
    }
    return false;
}

} // namespace byteloom
