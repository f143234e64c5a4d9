#include "platform/ZipLibrary.h"

#include <QFile>

#include <dlfcn.h>

namespace tervalo::compose {

namespace {

template <typename Function>
bool resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

constexpr zip_uint32_t kStrongestLevel = 9;

}  // namespace

std::unique_ptr<ZipLibrary> ZipLibrary::load(const QString& fileName) {
    void* handle = dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return nullptr;
    }
    std::unique_ptr<ZipLibrary> library(new ZipLibrary(handle));
    if (!library->resolveAll()) {
        return nullptr;
    }
    return library;
}

const ZipLibrary* ZipLibrary::shared() {
    static const std::unique_ptr<ZipLibrary> library = load(QString::fromLatin1(kFileName));
    return library.get();
}

ZipLibrary::~ZipLibrary() {
    dlclose(m_handle);
}

bool ZipLibrary::resolveAll() {
    return resolve(m_handle, "zip_open", m_open) &&
           resolve(m_handle, "zip_open_from_source", m_openFromSource) &&
           resolve(m_handle, "zip_source_buffer_create", m_sourceBufferCreate) &&
           resolve(m_handle, "zip_source_keep", m_sourceKeep) &&
           resolve(m_handle, "zip_source_open", m_sourceOpen) &&
           resolve(m_handle, "zip_source_read", m_sourceRead) &&
           resolve(m_handle, "zip_source_close", m_sourceClose) &&
           resolve(m_handle, "zip_error_init", m_errorInit) &&
           resolve(m_handle, "zip_error_fini", m_errorFini) &&
           resolve(m_handle, "zip_source_buffer", m_sourceBuffer) &&
           resolve(m_handle, "zip_source_free", m_sourceFree) &&
           resolve(m_handle, "zip_file_add", m_fileAdd) &&
           resolve(m_handle, "zip_set_file_compression", m_setFileCompression) &&
           resolve(m_handle, "zip_file_set_encryption", m_fileSetEncryption) &&
           resolve(m_handle, "zip_close", m_close) && resolve(m_handle, "zip_discard", m_discard) &&
           resolve(m_handle, "zip_get_num_entries", m_getNumEntries) &&
           resolve(m_handle, "zip_stat_index", m_statIndex) &&
           resolve(m_handle, "zip_fopen_index", m_fopenIndex) && resolve(m_handle, "zip_fread", m_fread) &&
           resolve(m_handle, "zip_fclose", m_fclose);
}

std::optional<QByteArray> ZipLibrary::pack(const QByteArray& content, const QString& entryName) const {
    zip_error_t error;
    m_errorInit(&error);
    zip_source_t* buffer = m_sourceBufferCreate(nullptr, 0, 0, &error);
    zip_t* archive = buffer == nullptr ? nullptr : m_openFromSource(buffer, ZIP_TRUNCATE, &error);
    m_errorFini(&error);
    if (archive == nullptr) {
        if (buffer != nullptr) {
            m_sourceFree(buffer);
        }
        return std::nullopt;
    }
    // The buffer outlives the archive's close, which writes the finished archive into it.
    m_sourceKeep(buffer);
    std::optional<QByteArray> bytes;
    if (addDeflatedEntry(archive, content, entryName) && m_close(archive) == 0) {
        bytes = readSource(buffer);
    } else {
        m_discard(archive);
    }
    m_sourceFree(buffer);
    return bytes;
}

bool ZipLibrary::addDeflatedEntry(zip_t* archive, const QByteArray& content, const QString& entryName) const {
    // The content is only read, by the archive's close, while the caller still holds it.
    zip_source_t* source =
        m_sourceBuffer(archive, content.constData(), static_cast<zip_uint64_t>(content.size()), 0);
    if (source == nullptr) {
        return false;
    }
    const zip_int64_t index = m_fileAdd(archive, entryName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        m_sourceFree(source);
        return false;
    }
    const auto entry = static_cast<zip_uint64_t>(index);
    return m_setFileCompression(archive, entry, ZIP_CM_DEFLATE, kStrongestLevel) == 0 &&
           m_fileSetEncryption(archive, entry, ZIP_EM_NONE, nullptr) == 0;
}

std::optional<QByteArray> ZipLibrary::readSource(zip_source_t* source) const {
    if (m_sourceOpen(source) != 0) {
        return std::nullopt;
    }
    QByteArray bytes;
    char chunk[16384];
    zip_int64_t read = 0;
    while ((read = m_sourceRead(source, chunk, sizeof chunk)) > 0) {
        bytes.append(chunk, qsizetype(read));
    }
    m_sourceClose(source);
    if (read < 0) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::map<QString, QByteArray>> ZipLibrary::readAllEntries(const QString& archivePath,
                                                                        qint64 maxTotalBytes) const {
    int openError = 0;
    zip_t* archive = m_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &openError);
    if (archive == nullptr) {
        return std::nullopt;
    }
    std::map<QString, QByteArray> entries;
    qint64 total = 0;
    const zip_int64_t count = m_getNumEntries(archive, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        const auto entry = static_cast<zip_uint64_t>(index);
        zip_stat_t stat;
        if (m_statIndex(archive, entry, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0 ||
            (stat.valid & ZIP_STAT_NAME) == 0) {
            m_discard(archive);
            return std::nullopt;
        }
        // The stated size bounds what is read, so a forged entry cannot exhaust memory.
        total += static_cast<qint64>(stat.size);
        if (stat.size > static_cast<zip_uint64_t>(maxTotalBytes) || total > maxTotalBytes) {
            m_discard(archive);
            return std::nullopt;
        }
        QByteArray content(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
        zip_file_t* file = m_fopenIndex(archive, entry, 0);
        const zip_int64_t read = file == nullptr ? -1 : m_fread(file, content.data(), stat.size);
        if (file != nullptr) {
            m_fclose(file);
        }
        if (read != static_cast<zip_int64_t>(stat.size)) {
            m_discard(archive);
            return std::nullopt;
        }
        entries[QString::fromUtf8(stat.name)] = content;
    }
    m_discard(archive);
    return entries;
}

}  // namespace tervalo::compose
