// Vorbel.ini and the body file EText as start-up reads them, then every setting written back and
// the file saved and read again. (A value is not always read back as it was: the file's own rules
// trim blanks, take off a pair of quotes and turn a line break inside a value into a blank.)
#include "FuzzSupport.h"

#include "settings/ConfigurationFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervalo;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const auto& codec = fuzz::czechLocale().codec();
    const QString iniPath = fuzz::writeInput(app::ConfigurationFile::fileName(), bytes);
    app::IniFile ini(iniPath, codec);
    app::AppSettings settings;
    app::MainWindowLayout layout;
    app::ConfigurationFile::read(ini, settings, layout);
    app::ConfigurationFile::write(ini, settings, layout);
    ini.save();
    app::IniFile reread(iniPath, codec);
    app::ConfigurationFile::read(reread, settings, layout);

    const QString bodyPath = fuzz::writeInput(app::BodyTextFile::fileName(), bytes);
    app::BodyTextFile::read(bodyPath, codec);
    return 0;
}
