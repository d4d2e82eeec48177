#include "datosNames.h"

namespace datos {
namespace {

constexpr Delegacion kDelegaciones[] = {
    {2, "Azcapotzalco", 432},
    {3, "Coyoacán", 614},
    {4, "Cuajimalpa de morelos", 217},
    {5, "Gustavo A. Madero", 1173},
    {6, "Iztacalco", 404},
    {7, "Iztapalapa", 1835},
    {8, "La Magdalena Contreras", 247},
    {9, "Milpa Alta", 152},
    {10, "Alvaro Obregón", 759},
    {11, "Tláhuac", 392},
    {12, "Tlalpan", 699},
    {13, "Xochimilco", 442},
    {14, "Benito Juárez", 434},
    {15, "Cuauhtémoc", 545},
    {16, "Miguel Hidalgo", 414},
    {17, "Venustiano Carranza", 443},
};

constexpr std::string_view kApellidos[] = {
    "Hernández", "García",   "Martínez",  "López",     "González",   "Rodríguez", "Pérez",
    "Sánchez",   "Ramírez",  "Cruz",      "Flores",    "Gómez",      "Morales",   "Vázquez",
    "Reyes",     "Jiménez",  "Torres",    "Díaz",      "Gutiérrez",  "Ruiz",      "Mendoza",
    "Aguilar",   "Ortiz",    "Moreno",    "Castillo",  "Romero",     "Álvarez",   "Méndez",
    "Chávez",    "Rivera",   "Juárez",    "Ramos",     "Domínguez",  "Herrera",   "Medina",
    "Castro",    "Vargas",   "Guzmán",    "Velázquez", "Muñoz",      "Rojas",     "Contreras",
    "Salazar",   "Luna",     "Ortega",    "Santiago",  "Guerrero",   "Estrada",   "Bautista",
    "Cortés",    "Soto",     "Alvarado",  "Espinoza",  "Lara",       "Ávila",     "Ríos",
    "Cervantes", "Silva",    "Delgado",   "Vega",      "Márquez",    "Sandoval",  "Fernández",
    "León",      "Carrillo", "Mejía",     "Solís",     "Núñez",      "Rosas",     "Valdez",
    "Ibarra",    "Campos",   "Santos",    "Camacho",   "Navarro",    "Peña",      "Maldonado",
    "Rosales",   "Acosta",   "Miranda",   "Trejo",     "Valencia",   "Nava",      "Pacheco",
    "Robles",    "Molina",   "Rangel",    "Huerta",    "Padilla",    "Cabrera",   "Fuentes",
    "Ayala",     "Meza",     "Salinas",   "Montes",    "Escobar",    "Zúñiga",    "Galván",
    "Olvera",    "Ochoa",    "Becerra",   "Quiroz",    "Villanueva", "Arellano",  "Beltrán",
    "Tapia",     "Cuevas",   "Sosa",      "Bravo",     "Orozco",     "Zamora",    "Benítez",
    "Carmona",   "Velasco",  "Serrano",   "Esquivel",  "Calderón",   "Ponce",     "Lozano",
    "Avendaño",  "Barrera",  "Zavala",    "Pineda",    "Rivas",      "Cano",      "Osorio",
    "Montoya",   "Ibáñez",   "Villegas",  "Téllez",    "Gallegos",   "Muñiz",     "Salas",
    "Coronado",  "Aguirre",  "Hidalgo",   "Trujillo",  "Galindo",    "Córdova",   "Durán",
    "Nieto",     "Sierra",   "Peralta",   "Alonso",    "Treviño",    "Gil",       "Bermúdez",
    "Quintero",  "Arriaga",  "Marín",     "Solano",    "Saldaña",    "Xolalpa",   "Tecuapetla",
    "Cuautle",   "Tlapale",  "Ixtlahuac", "Mendiola",  "Yáñez",      "Ocaña",     "Echeverría",
};

constexpr std::string_view kNombresHombre[] = {
    "José",      "Juan",      "Luis",      "Carlos",     "Jorge",    "Miguel",  "Francisco",
    "Jesús",     "Alejandro", "Antonio",   "Pedro",      "Manuel",   "Ricardo", "Fernando",
    "Javier",    "Roberto",   "Daniel",    "Eduardo",    "Sergio",   "Raúl",    "Arturo",
    "Martín",    "Mario",     "Alberto",   "Héctor",     "Rafael",   "Enrique", "Andrés",
    "Víctor",    "Óscar",     "Gerardo",   "Alfredo",    "Salvador", "Ramón",   "Armando",
    "Guillermo", "Rubén",     "Gabriel",   "Ángel",      "Rodrigo",  "Hugo",    "Diego",
    "Emiliano",  "Santiago",  "Sebastián", "Mateo",      "Iván",     "Julio",   "Joaquín",
    "Ignacio",   "Agustín",   "Gustavo",   "Adrián",     "Israel",   "Ulises",  "Efraín",
    "Leonardo",  "Tomás",     "Marco",     "Cuauhtémoc",
};

constexpr std::string_view kNombresMujer[] = {
    "María",      "Guadalupe", "Ana",      "Rosa",     "Laura",     "Patricia",  "Juana",
    "Margarita",  "Leticia",   "Verónica", "Gabriela", "Alejandra", "Elizabeth", "Teresa",
    "Silvia",     "Adriana",   "Claudia",  "Martha",   "Araceli",   "Sofía",     "Fernanda",
    "Ximena",     "Valeria",   "Daniela",  "Mariana",  "Andrea",    "Lucía",     "Itzel",
    "Citlali",    "Xóchitl",   "Beatriz",  "Carmen",   "Elena",     "Isabel",    "Josefina",
    "Angélica",   "Mónica",    "Norma",    "Alicia",   "Yolanda",   "Irma",      "Esperanza",
    "Socorro",    "Dolores",   "Rocío",    "Luz",      "Paola",     "Karla",     "Brenda",
    "Diana",      "Jimena",    "Regina",   "Renata",   "Camila",    "Valentina", "Natalia",
    "Concepción", "Estela",    "Marisol",  "Noemí",    "Julieta",   "Inés",
};

constexpr std::string_view kPersonajes[] = {
    "Benito Juárez",
    "Miguel Hidalgo",
    "José María Morelos",
    "Ignacio Allende",
    "Juan Aldama",
    "Ignacio Zaragoza",
    "Vicente Guerrero",
    "Francisco I. Madero",
    "Emiliano Zapata",
    "Francisco Villa",
    "Sor Juana Inés de la Cruz",
    "Nezahualcóyotl",
    "Cuauhtémoc",
    "Moctezuma",
    "Xicoténcatl",
    "Leona Vicario",
    "Josefa Ortiz de Domínguez",
    "Nicolás Bravo",
    "Mariano Matamoros",
    "Belisario Domínguez",
    "Ricardo Flores Magón",
    "Lázaro Cárdenas",
    "Adolfo López Mateos",
    "Miguel Ángel de Quevedo",
    "Gabriela Mistral",
    "José Vasconcelos",
    "Niños Héroes",
    "Fray Servando Teresa de Mier",
    "Guillermo Prieto",
    "Ignacio Ramírez",
    "Amado Nervo",
    "Juventino Rosas",
    "Agustín Lara",
    "Rosario Castellanos",
    "Octavio Paz",
    "Carmen Serdán",
    "Aquiles Serdán",
    "Manuel Acuña",
    "Ramón López Velarde",
    "5 de Mayo",
    "16 de Septiembre",
    "20 de Noviembre",
    "Revolución",
    "Independencia",
    "Constitución",
};

constexpr std::string_view kLugares[] = {
    "Río Churubusco", "Río Mixcoac", "Río Lerma",   "Río Nilo",   "Río Bravo",    "Lago Chapala",
    "Lago Texcoco",   "Puebla",      "Oaxaca",      "Veracruz",   "Durango",      "Zacatecas",
    "Sonora",         "Sinaloa",     "Chiapas",     "Tabasco",    "Yucatán",      "Michoacán",
    "Jalisco",        "Colima",      "Querétaro",   "Tamaulipas", "Campeche",     "Nayarit",
    "Guanajuato",     "Pirul",       "Fresno",      "Oyamel",     "Ahuehuete",    "Cedro",
    "Ciprés",         "Jacarandas",  "Bugambilias", "Tulipanes",  "Azucenas",     "Gardenias",
    "Margaritas",     "Orquídeas",   "Dalias",      "Amapolas",   "Girasoles",    "Nogal",
    "Olivo",          "Sauce",       "Encino",      "Álamo",      "Palma",        "Naranjo",
    "Durazno",        "Tejocote",    "Capulín",     "Colibrí",    "Gavilán",      "Águila",
    "Halcón",         "Canario",     "Gorrión",     "Calandria",  "Golondrina",   "Venado",
    "Jaguar",         "Coyote",      "Ocelote",     "Tláloc",     "Quetzalcóatl", "Tenochtitlan",
};

constexpr std::string_view kTiposDeCalle[] = {
    "Calle",   "Calle",   "Calle",    "Av.",          "Cerrada",
    "Privada", "Andador", "Callejón", "Prolongación", "Retorno",
};

constexpr std::string_view kColonias[] = {
    "Centro",
    "Del Valle",
    "Roma",
    "Condesa",
    "Doctores",
    "Obrera",
    "Guerrero",
    "Morelos",
    "Juárez",
    "Tabacalera",
    "San Rafael",
    "Santa María la Ribera",
    "Narvarte",
    "Portales",
    "Álamos",
    "Nativitas",
    "Moderna",
    "Postal",
    "Iztaccíhuatl",
    "Albert",
    "Xoco",
    "Mixcoac",
    "Nonoalco",
    "San Pedro de los Pinos",
    "Tacubaya",
    "Escandón",
    "Observatorio",
    "Lomas de Chapultepec",
    "Polanco",
    "Anzures",
    "Granada",
    "Pensil",
    "Tacuba",
    "Popotla",
    "Anáhuac",
    "Agricultura",
    "Tlatilco",
    "Clavería",
    "Nueva Santa María",
    "San Álvaro",
    "Pro Hogar",
    "Electricistas",
    "San Juan de Aragón",
    "Lindavista",
    "Industrial",
    "Estrella",
    "Guadalupe Tepeyac",
    "Cuautepec",
    "Zacatenco",
    "Ticomán",
    "Martín Carrera",
    "La Villa",
    "Pantitlán",
    "Agrícola Oriental",
    "Granjas México",
    "Santa Anita",
    "Los Reyes",
    "Santa Cruz Meyehualco",
    "San Lorenzo Tezonco",
    "Santa Martha Acatitla",
    "Ejército de Oriente",
    "San Miguel Teotongo",
    "Cerro de la Estrella",
    "Culhuacán",
    "Los Ángeles",
    "Progresista",
    "Santa Catarina",
    "San Andrés Tetepilco",
    "San Lucas",
    "Santa Úrsula Coapa",
    "Pedregal de Santo Domingo",
    "Ajusco",
    "Copilco",
    "Romero de Terreros",
    "Campestre Churubusco",
    "Country Club",
    "Educación",
    "Villa Coapa",
    "Huipulco",
    "Tlalcoligia",
    "San Andrés Totoltepec",
    "Topilejo",
    "Héroes de Padierna",
    "Lomas de Padierna",
    "Pedregal de San Nicolás",
    "Santa Cruz Acalpixca",
    "San Gregorio Atlapulco",
    "Tepepan",
    "Huichapan",
    "San Lorenzo Atemoaya",
    "San Francisco Tlaltenco",
    "Zapotitlán",
    "Santa Catarina Yecahuizotl",
    "Mixquic",
    "Del Mar",
    "Villa Milpa Alta",
    "San Antonio Tecómitl",
    "San Pedro Atocpan",
    "San Pablo Oztotepec",
    "San Jerónimo Lídice",
    "San Bernabé Ocotepec",
    "La Malinche",
    "El Tanque",
    "Contadero",
    "San Mateo Tlaltenango",
    "Navidad",
    "Santa Fe",
    "Olivar del Conde",
    "Tizapán",
    "San Ángel",
    "Guadalupe Inn",
    "Florida",
    "Las Águilas",
    "Jalalpa",
    "Presidentes",
    "Santa Lucía",
    "Tetelpan",
    "San Bartolo Cahualtongo",
    "Pasteros",
    "Santa Bárbara",
    "Nueva El Rosario",
    "Providencia",
    "El Recreo",
    "Jardín Balbuena",
    "Moctezuma",
    "Romero Rubio",
    "Peñón de los Baños",
    "Aquiles Serdán",
    "Simón Bolívar",
    "Viaducto Piedad",
    "Militar Marte",
    "Ramos Millán",
    "Tlazintla",
    "Santa Rosa",
    "Las Américas",
    "El Rosario",
    "Emiliano Zapata",
    "Miguel Hidalgo",
    "Lomas de San Ángel Inn",
    "Jardines del Pedregal",
    "Bosques de las Lomas",
    "Torres de Potrero",
    "Lomas de Tarango",
    "La Joya",
    "Ermita Zaragoza",
    "Desarrollo Urbano Quetzalcóatl",
    "La Nopalera",
    "Las Peñas",
};

constexpr std::string_view kPrefijosDeColonia[] = {
    "Ampliación", "Barrio", "Pueblo", "Unidad Habitacional", "Fraccionamiento", "Residencial",
};

constexpr std::string_view kSufijosDeColonia[] = {
    "Norte", "Sur", "Oriente", "Poniente", "I", "II", "III", "1a. Sección", "2a. Sección",
};

constexpr std::string_view kSedesDeCasilla[] = {
    "Escuela Primaria",
    "Escuela Primaria",
    "Escuela Secundaria",
    "Jardín de Niños",
    "Centro Comunitario",
    "Casa de Cultura",
    "Deportivo",
    "Biblioteca Pública",
    "Mercado",
    "Domicilio particular",
};

}  // namespace

std::span<const Delegacion> delegaciones() {
    return kDelegaciones;
}
std::span<const std::string_view> apellidos() {
    return kApellidos;
}
std::span<const std::string_view> nombresHombre() {
    return kNombresHombre;
}
std::span<const std::string_view> nombresMujer() {
    return kNombresMujer;
}
std::span<const std::string_view> personajes() {
    return kPersonajes;
}
std::span<const std::string_view> lugares() {
    return kLugares;
}
std::span<const std::string_view> tiposDeCalle() {
    return kTiposDeCalle;
}
std::span<const std::string_view> colonias() {
    return kColonias;
}
std::span<const std::string_view> prefijosDeColonia() {
    return kPrefijosDeColonia;
}
std::span<const std::string_view> sufijosDeColonia() {
    return kSufijosDeColonia;
}
std::span<const std::string_view> sedesDeCasilla() {
    return kSedesDeCasilla;
}

}  // namespace datos
