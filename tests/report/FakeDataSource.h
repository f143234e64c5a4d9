#pragma once

#include "report/ReportDataSource.h"

#include <map>
#include <memory>

namespace tervalo::report::test {

// A dataset over rows in memory. A detail dataset shows only the rows whose link field equals the
// master's current value, as the main window's detail table does.
class FakeDataset : public ReportDataset {
public:
    FakeDataset(QStringList fields, std::vector<std::vector<ReportValue>> rows)
        : m_fields(std::move(fields)), m_rows(std::move(rows)) {}

    void linkTo(const FakeDataset* master, const QString& masterField, const QString& detailField) {
        m_master = master;
        m_masterField = master->fieldIndex(masterField);
        m_detailField = fieldIndex(detailField);
    }
    void setCaptions(QStringList captions) { m_captions = std::move(captions); }

    QStringList fieldNames() const override { return m_fields; }
    QString displayName(int field) const override {
        return m_captions.isEmpty() ? m_fields.value(field) : m_captions.value(field);
    }
    void first() override {
        m_visible.clear();
        for (size_t r = 0; r < m_rows.size(); ++r) {
            if (m_master == nullptr ||
                (!m_master->eof() && m_rows[r][size_t(m_detailField)] == m_master->value(m_masterField))) {
                m_visible.push_back(r);
            }
        }
        m_pos = 0;
    }
    void next() override { ++m_pos; }
    bool eof() const override { return m_pos >= m_visible.size(); }
    ReportValue value(int field) const override { return m_rows[m_visible[m_pos]][size_t(field)]; }

private:
    QStringList m_fields;
    QStringList m_captions;
    std::vector<std::vector<ReportValue>> m_rows;
    std::vector<size_t> m_visible;
    size_t m_pos = 0;
    const FakeDataset* m_master = nullptr;
    int m_masterField = -1;
    int m_detailField = -1;
};

class FakeDataSource : public ReportDataSource {
public:
    FakeDataset& add(const QString& name, QStringList fields, std::vector<std::vector<ReportValue>> rows) {
        auto& slot = m_datasets[name];
        slot = std::make_unique<FakeDataset>(std::move(fields), std::move(rows));
        slot->first();
        return *slot;
    }
    void setProperty(const QString& name, std::vector<ReportValue> values) {
        m_properties[name] = std::move(values);
    }

    ReportDataset* dataset(const QString& name) override {
        const auto it = m_datasets.find(name);
        return it == m_datasets.end() ? nullptr : it->second.get();
    }
    // A property with one value is a plain property; with several, an array indexed from 0.
    std::optional<ReportValue> property(const QString& name, const std::vector<int>& indexes) const override {
        const auto it = m_properties.find(name);
        if (it == m_properties.end()) {
            return std::nullopt;
        }
        if (indexes.empty()) {
            return it->second.front();
        }
        if (indexes.size() != 1 || indexes[0] < 0 || size_t(indexes[0]) >= it->second.size()) {
            return std::nullopt;
        }
        return it->second[size_t(indexes[0])];
    }

private:
    std::map<QString, std::unique_ptr<FakeDataset>> m_datasets;
    std::map<QString, std::vector<ReportValue>> m_properties;
};

}  // namespace tervalo::report::test
