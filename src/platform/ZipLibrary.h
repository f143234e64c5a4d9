#pragma once

#include <QString>

#include <zip.h>

#include <map>
#include <memory>
#include <optional>

namespace tervalo::compose {

// libzip, loaded at run time so that a missing library is reported with the program's own message
// instead of stopping the loader. Only the header is used at build time; every function is
// resolved from the shared object.
class ZipLibrary {
public:
    static constexpr const char* kFileName = "libzip.so.4";

    // Loads the shared object and resolves every function used; nothing when either fails.
    static std::unique_ptr<ZipLibrary> load(const QString& fileName);
    // The program's library, loaded on first use and kept for the rest of the run; null when it
    // cannot be loaded.
    static const ZipLibrary* shared();

    ~ZipLibrary();
    ZipLibrary(const ZipLibrary&) = delete;
    ZipLibrary& operator=(const ZipLibrary&) = delete;

    // An archive, made in memory, holding one entry, `entryName`, with `content`, deflated at level 9
    // and not encrypted, dated now. Nothing when the library reports an error.
    std::optional<QByteArray> pack(const QByteArray& content, const QString& entryName) const;

    // Every entry of the archive at `archivePath` by its name, for archives of at most `maxTotalBytes`
    // uncompressed. Nothing when the file is missing, not an archive, damaged or larger.
    std::optional<std::map<QString, QByteArray>> readAllEntries(const QString& archivePath,
                                                                qint64 maxTotalBytes) const;

private:
    explicit ZipLibrary(void* handle) : m_handle(handle) {}
    bool resolveAll();
    bool addDeflatedEntry(zip_t* archive, const QByteArray& content, const QString& entryName) const;
    std::optional<QByteArray> readSource(zip_source_t* source) const;

    void* m_handle;
    decltype(&zip_open) m_open = nullptr;
    decltype(&zip_open_from_source) m_openFromSource = nullptr;
    decltype(&zip_source_buffer_create) m_sourceBufferCreate = nullptr;
    decltype(&zip_source_keep) m_sourceKeep = nullptr;
    decltype(&zip_source_open) m_sourceOpen = nullptr;
    decltype(&zip_source_read) m_sourceRead = nullptr;
    decltype(&zip_source_close) m_sourceClose = nullptr;
    decltype(&zip_error_init) m_errorInit = nullptr;
    decltype(&zip_error_fini) m_errorFini = nullptr;
    decltype(&zip_source_buffer) m_sourceBuffer = nullptr;
    decltype(&zip_source_free) m_sourceFree = nullptr;
    decltype(&zip_file_add) m_fileAdd = nullptr;
    decltype(&zip_set_file_compression) m_setFileCompression = nullptr;
    decltype(&zip_file_set_encryption) m_fileSetEncryption = nullptr;
    decltype(&zip_close) m_close = nullptr;
    decltype(&zip_discard) m_discard = nullptr;
    decltype(&zip_get_num_entries) m_getNumEntries = nullptr;
    decltype(&zip_stat_index) m_statIndex = nullptr;
    decltype(&zip_fopen_index) m_fopenIndex = nullptr;
    decltype(&zip_fread) m_fread = nullptr;
    decltype(&zip_fclose) m_fclose = nullptr;
};

}  // namespace tervalo::compose
