#include "arguments/ArgumentReader.h"

#include <algorithm>

std::string OptionName::label() const {
    std::string text = shortName.empty() ? "" : std::string(shortName) + ", ";
    text += longName;
    if (takesValue())
        text += " " + std::string(valueName);
    return text;
}

std::string helpEntry(std::string_view label, std::string_view help, std::size_t column) {
    std::string text = "  " + std::string(label);
    text += text.size() < column ? std::string(column - text.size(), ' ')
                                 : "\n" + std::string(column, ' ');
    for (std::size_t end = 0; (end = help.find('\n')) != std::string_view::npos;
         help.remove_prefix(end + 1))
        text += std::string(help.substr(0, end)) + "\n" + std::string(column, ' ');
    return text + std::string(help) + "\n";
}

std::optional<ArgumentItem> ArgumentReader::next() {
    using Kind = ArgumentItem::Kind;
    while (position < arguments.size()) {
        const std::string_view argument = arguments[position++];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument.size() < 2 || !argument.starts_with('-'))
            return ArgumentItem{Kind::Positional, 0, {}, argument, argument};
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const auto found = std::ranges::find_if(options, [name](const OptionName& option) {
            return option.longName == name ||
                   (!option.shortName.empty() && option.shortName == name);
        });
        if (found == options.end())
            return ArgumentItem{Kind::UnknownOption, 0, name, {}, argument};
        const auto index = static_cast<std::size_t>(found - options.begin());
        if (!found->takesValue()) {
            if (equals != std::string_view::npos)
                return ArgumentItem{Kind::UnwantedValue, index, name, {}, argument};
            return ArgumentItem{Kind::Option, index, name, {}, argument};
        }
        if (equals != std::string_view::npos)
            return ArgumentItem{Kind::Option, index, name, argument.substr(equals + 1), argument};
        if (position == arguments.size())
            return ArgumentItem{Kind::MissingValue, index, name, {}, argument};
        return ArgumentItem{Kind::Option, index, name, arguments[position++], argument};
    }
    return std::nullopt;
}
