// The error vocabulary: each named number carries its classic description.
#include "diag/erreur.h"

#include <gtest/gtest.h>

using namespace tk;

TEST(Erreur, NamedNumbersCarryTheirDescription) {
    const std::pair<NumeroErreur, const char*> cas[] = {
        {ERR_INDICE, "L'indice n'appartient pas à la sélection"},
        {ERR_OBJET_NON_DEFINI, "Variable objet non définie"},
        {ERR_ELEMENT_GROUPE, "L'élément de groupe de contrôles n'existe pas"},
        {ERR_ELEMENT_EXISTE, "Objet déjà chargé"},
        {ERR_IMAGE_INCORRECTE, "Image incorrecte"},
    };
    for (const auto& [numero, texte] : cas) {
        try {
            lever(numero);
            ADD_FAILURE() << numero;
        } catch (const ErreurVB& e) {
            EXPECT_EQ(e.numero(), numero);
            EXPECT_EQ(e.description(), QString::fromUtf8(texte)) << numero;
        }
    }
    EXPECT_EQ(description_erreur(999), QStringLiteral("Erreur définie par l'application ou par l'objet"));
    EXPECT_EQ(ErreurVB(ERR_TYPE, QStringLiteral("texte donné")).description(), QStringLiteral("texte donné"));
}
