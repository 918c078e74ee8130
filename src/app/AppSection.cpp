#include "app/AppSection.h"

namespace {

constexpr std::array<AppSectionInfo, 8> kSections{{
    {AppSection::overview, "overview", "Visão geral", "gauge.with.dots.needle.67percent", "blue",
     "Painel", "square.grid.2x2"},
    {AppSection::junk, "junk", "Lixo do sistema", "sparkles", "pink", "Limpeza", "wand.and.stars"},
    {AppSection::large, "large", "Arquivos grandes", "doc.on.doc.fill", "orange", "Arquivos grandes",
     "doc.on.doc"},
    {AppSection::duplicates, "duplicates", "Duplicados", "square.on.square.fill", "yellow", "Duplicados",
     "square.on.square"},
    {AppSection::uninstaller, "uninstaller", "Desinstalador", "xmark.app.fill", "red", "Apps",
     "app.badge"},
    {AppSection::orbitMap, "orbitMap", "Mapa de espaço", "chart.pie.fill", "purple", "Espaço",
     "rectangle.split.3x3"},
    {AppSection::startup, "startup", "Itens de início", "power.circle.fill", "green", "Inicialização",
     "power"},
    {AppSection::maintenance, "maintenance", "Manutenção", "wrench.and.screwdriver.fill", "teal",
     "Ferramentas", "slider.horizontal.3"},
}};

} // namespace

const std::array<AppSectionInfo, 8>& allSections() { return kSections; }

const AppSectionInfo& infoFor(AppSection section)
{
    return kSections[static_cast<std::size_t>(section)];
}

std::optional<AppSection> sectionFromId(const QString& id)
{
    for (const auto& info : kSections)
        if (id == QLatin1String(info.id))
            return info.section;
    return std::nullopt;
}

QString sectionId(AppSection section) { return QString::fromLatin1(infoFor(section).id); }
