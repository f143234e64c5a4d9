#include "report/CompoundFile.h"

#include "report/ReportError.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <memory>

namespace tervalo::report {

namespace {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object != nullptr) {
            g_object_unref(object);
        }
    }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

QString takeError(GError* error) {
    if (error == nullptr) {
        return {};
    }
    QString text = QString::fromUtf8(error->message);
    g_error_free(error);
    return text;
}

void ensureLibraryInitialised() {
    static const bool initialised = [] {
        gsf_init();
        return true;
    }();
    (void)initialised;
}

QByteArray readClassId(GsfInfile* storage) {
    guint8 id[16];
    if (!gsf_infile_msole_get_class_id(reinterpret_cast<GsfInfileMSOle*>(storage), id)) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(id), 16);
}

std::vector<CompoundEntry> readChildren(GsfInfile* storage, const QString& path) {
    std::vector<CompoundEntry> entries;
    const int count = gsf_infile_num_children(storage);
    for (int i = 0; i < count; ++i) {
        GPtr<GsfInput> child(gsf_infile_child_by_index(storage, i));
        if (!child) {
            throw ReportError(
                QStringLiteral("Soubor %1 nelze přečíst: poškozená položka %2.").arg(path).arg(i));
        }
        CompoundEntry entry;
        entry.name = QString::fromUtf8(gsf_infile_name_by_index(storage, i));
        auto* childStorage = reinterpret_cast<GsfInfile*>(child.get());
        if (gsf_infile_num_children(childStorage) >= 0) {
            entry.isStorage = true;
            entry.classId = readClassId(childStorage);
            entry.children = readChildren(childStorage, path);
        } else {
            const gsf_off_t size = gsf_input_size(child.get());
            entry.data.resize(qsizetype(size));
            if (size > 0 && gsf_input_read(child.get(), size_t(size),
                                           reinterpret_cast<guint8*>(entry.data.data())) == nullptr) {
                throw ReportError(QStringLiteral("Soubor %1 nelze přečíst: položku %2 nelze načíst.")
                                      .arg(path, entry.name));
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void writeEntry(GsfOutfile* parent, const CompoundEntry& entry, const QString& path) {
    GPtr<GsfOutput> child(gsf_outfile_new_child(parent, entry.name.toUtf8().constData(), entry.isStorage));
    if (!child) {
        throw ReportError(QStringLiteral("Soubor %1 nelze zapsat (položka %2).").arg(path, entry.name));
    }
    bool ok = true;
    if (entry.isStorage) {
        if (entry.classId.size() == 16) {
            gsf_outfile_msole_set_class_id(reinterpret_cast<GsfOutfileMSOle*>(child.get()),
                                           reinterpret_cast<const guint8*>(entry.classId.constData()));
        }
        for (const CompoundEntry& grandChild : entry.children) {
            writeEntry(reinterpret_cast<GsfOutfile*>(child.get()), grandChild, path);
        }
    } else if (!entry.data.isEmpty()) {
        ok = gsf_output_write(child.get(), size_t(entry.data.size()),
                              reinterpret_cast<const guint8*>(entry.data.constData()));
    }
    ok = gsf_output_close(child.get()) && ok;
    if (!ok) {
        throw ReportError(QStringLiteral("Soubor %1 nelze zapsat (položka %2).").arg(path, entry.name));
    }
}

}  // namespace

CompoundFile CompoundFile::read(const QString& path) {
    ensureLibraryInitialised();
    GError* error = nullptr;
    GPtr<GsfInput> input(gsf_input_stdio_new(path.toLocal8Bit().constData(), &error));
    if (!input) {
        throw ReportError(QStringLiteral("Soubor %1 nelze otevřít: %2").arg(path, takeError(error)));
    }
    GPtr<GsfInfile> root(gsf_infile_msole_new(input.get(), &error));
    if (!root) {
        throw ReportError(
            QStringLiteral("Soubor %1 není sešit Excel 97–2003 (chybí složený dokument OLE2): %2")
                .arg(path, takeError(error)));
    }
    CompoundFile file;
    file.classId = readClassId(root.get());
    file.entries = readChildren(root.get(), path);
    return file;
}

QByteArray CompoundFile::serialize(const QString& path) const {
    ensureLibraryInitialised();
    GPtr<GsfOutput> sink(gsf_output_memory_new());
    GPtr<GsfOutfile> root(gsf_outfile_msole_new(sink.get()));
    if (classId.size() == 16) {
        gsf_outfile_msole_set_class_id(reinterpret_cast<GsfOutfileMSOle*>(root.get()),
                                       reinterpret_cast<const guint8*>(classId.constData()));
    }
    for (const CompoundEntry& entry : entries) {
        writeEntry(root.get(), entry, path);
    }
    const bool rootClosed = gsf_output_close(reinterpret_cast<GsfOutput*>(root.get()));
    const bool sinkClosed = gsf_output_is_closed(sink.get()) || gsf_output_close(sink.get());
    if (!rootClosed || !sinkClosed) {
        throw ReportError(QStringLiteral("Soubor %1 nelze zapsat.").arg(path));
    }
    const guint8* bytes = gsf_output_memory_get_bytes(reinterpret_cast<GsfOutputMemory*>(sink.get()));
    return QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(gsf_output_size(sink.get())));
}

CompoundEntry* CompoundFile::find(const QString& name) {
    for (CompoundEntry& entry : entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace tervalo::report
