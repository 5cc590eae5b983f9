-- wrk: write requests to roamlog-server, "add" (records, all with the same values), "varied"
-- (records with places, cities, countries, types, dates and comments of their own) or "post"
-- (forum posts), given as the script's argument:  wrk -s wrk_writes.lua URL -- add
-- Each request comes from an installation of its own, so that neither the per-installation
-- limit nor the duplicate or alias checks turn one away. The escaped texts are made once:
-- the client's own work per request stays small next to the server's.
local threads = 0

function setup(thread)
  threads = threads + 1
  thread:set("tid", threads)
end

local function escape(text)
  return (text:gsub("[^%w%-%._~]", function(c) return string.format("%%%02X", string.byte(c)) end))
end

local kind = "add"
local counter = 0
local fixed
local varied = {}

local function recordLine(fields)
  return escape(table.concat(fields, "|") .. "|")
end

-- The values of one record, the same for every kind but those named (the region, which no
-- index holds, stays that of the record all alike).
local function recordFields(place, type, country, city, date, comments)
  return {
    place, "Good", type, comments, "Front desk", "33", "0145678901", "", country, "Ile-de-France", city,
    "12 rue des Lilas", "Breakfast", "None", "Yes", "A friend", "Moderate", "1p:$90",
    "3", date, "desk@example.org", "http://example.org/", "05-15-2026 10:11:12", "*",
  }
end

-- Records whose sorted and searched values land all over their indexes, as real ones do.
local function variedLines(count)
  local names = {"Grand", "Central", "Miramar", "Harbour", "Garden", "Bellevue", "Old Town", "Royal"}
  local types = {"Hotel", "Hostel", "Restaurant", "Cafe", "Shop", "Inn"}
  local countries = {"France", "Italy", "Spain", "Germany", "Portugal", "Denmark", "Poland", "Canada"}
  local words = {"quiet", "room", "river", "view", "breakfast", "terrace", "noisy", "cash", "parking", "staff"}
  local lines = {}
  for i = 1, count do
    local comments = words[math.random(#words)] .. " " .. words[math.random(#words)] .. " " .. math.random(100000)
    lines[i] = recordLine(recordFields(
      names[math.random(#names)] .. " " .. types[math.random(#types)] .. " " .. math.random(100000),
      types[math.random(#types)], countries[math.random(#countries)], "City " .. math.random(5000),
      string.format("%02d-%02d-20%02d", math.random(12), math.random(28), math.random(0, 26)), comments))
  end
  return lines
end

function init(args)
  kind = args[1] or "add"
  if kind == "add" then
    fixed = recordLine(recordFields("Hotel Wrk", "Hotel", "France", "Paris", "05-14-2026",
                                    "Quiet room near the station, breakfast from 7"))
  elseif kind == "varied" then
    math.randomseed(tid)
    varied = variedLines(4096)
  else
    fixed = escape("Please add a map of the places I visited, with the dates & prices.\r\nPost")
  end
end

function request()
  counter = counter + 1
  local mac = tid .. string.format("%08d", counter)
  if kind == "add" or kind == "varied" then
    if kind == "varied" then
      fixed = varied[counter % #varied + 1]
    end
    -- Every other record is shared anonymously, the others under an alias of their own.
    local user = (counter % 2 == 0) and ("walker" .. mac) or ""
    return wrk.format("GET", "/cgi-bin/roamlog/roamlogdb.cgi?mac=" .. mac .. "&usr=" .. user ..
                      "&cmd=add&param=" .. fixed)
  end
  return wrk.format("GET", "/cgi-bin/roamlog/roamlogdb.cgi?path=post&param=" .. fixed .. "%20" .. mac ..
                    "&usr=poster%20" .. mac .. "&mac=" .. mac .. "&param2=05-15-2026%2010%3A11%3A12")
end
