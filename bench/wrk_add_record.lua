-- wrk: add-record requests, each a distinct record from a distinct installation, so that
-- neither the per-installation limit nor the duplicate check turns a request away.
-- Every other record is shared anonymously, the others under an alias of their own.
local threads = 0

function setup(thread)
  threads = threads + 1
  thread:set("tid", threads)
end

local counter = 0

local function escape(text)
  return (text:gsub("[^%w%-%._~]", function(c) return string.format("%%%02X", string.byte(c)) end))
end

function request()
  counter = counter + 1
  local mac = string.format("%d%08d", tid, counter)
  local fields = {
    "Hotel Wrk " .. mac, "Good", "Hotel", "Quiet room near the station, breakfast from 7",
    "Front desk", "33", "0145678901", "", "France", "Ile-de-France", "Paris",
    "12 rue des Lilas", "Breakfast", "None", "Yes", "A friend", "Moderate", "1p:$90",
    "3", "05-14-2026", "desk@example.org", "http://example.org/", "05-15-2026 10:11:12", "*",
  }
  local line = table.concat(fields, "|") .. "|"
  local user = ""
  if counter % 2 == 0 then user = "walker" .. mac end
  return wrk.format("GET", "/cgi-bin/roamlog/roamlogdb.cgi?mac=" .. mac .. "&usr=" .. user ..
                    "&cmd=add&param=" .. escape(line))
end
