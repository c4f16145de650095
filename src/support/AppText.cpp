#include "AppText.h"

#include "FileSystem.h"

#include <cctype>

std::string TitleFromFileName(const std::string& path) {
    std::string name = path.substr(ExtractFilePath(path).size());
    name = name.substr(0, name.find('.'));
    for (size_t i = 1; i < name.size(); ++i)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return name;
}

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}
